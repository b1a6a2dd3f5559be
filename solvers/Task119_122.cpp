// Second-order steps A + B -> R (k1), R + B -> S (k2), S + B -> D (k3) in a
// plug-flow reactor. The selectivities of R and S are integrated over the
// conversion by the trapezoidal rule; B, which cancels from the rates, only
// ends the sweep when it is used up.
//   119: B enters at the concentration of A; maximum of R.
//   122: B enters at twice that; maximum of S.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

namespace {

enum class Product { R, S };

// What tells the two tasks apart; every formula is shared.
struct WithBTask {
  Product target;       // maximised, and drawn with its selectivity
  int B0;               // initial concentration of B relative to A
  double originY1;      // selectivity of the target at zero conversion
  const char* heading;  // and the columns of the rows in its order
  const char* maximumLabel;
  const char* maximumQuestion;
  const char* conversionQuestion;
};

constexpr WithBTask kTask119 = {Product::R,
                                1,
                                1,
                                "   Xa     Cr     Ca     Cs     Cd",
                                "Максимальная отн. концентрация продукта R Cr =",
                                "Максимальная относительная концентрация продукта R на выходе, Cr",
                                "Степень конверсии A, при которой концентрация R максимальна, Xa"};
constexpr WithBTask kTask122 = {Product::S,
                                2,
                                0,
                                "   Xa     Ca     Cr     Cs     Cd",
                                "Максимальная отн. концентрация продукта S Cs =",
                                "Максимальная относительная концентрация продукта S на выходе, Cs",
                                "Степень конверсии A, при которой концентрация S максимальна, Xa"};

void RunWithB(const WithBTask& task) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  RequireNonZero(k1, "k(1)");

  TReportFile& out = BeginReport(Method::StepwiseIntegration);
  out.Line("Константы скорости, м куб./(кмоль*с)");
  out << "k(1) =" << Fixed(k1, 6, 3) << "  k(2) =" << Fixed(k2, 6, 3) << Eol;
  out << "k(3) =" << Fixed(k3, 6, 3) << Eol;
  out.Line("    Результаты расчета");
  out.Line(task.heading);

  const bool isR = task.target == Product::R;
  SetChartOrigin(task.originY1);
  // A second step much faster than the first makes the explicit integration
  // swing and can use B up before the first row; the chart then shows point 0
  // alone.
  ChartPointCount = 0;
  // Overall and point selectivities start at their values at zero conversion.
  Real phiR = 1.0, phiS = 0;
  Trapezoid<> IR(1.0, kStep), IS(0, kStep);
  struct At {
    Real X;
  };
  const Column xa{"Xa", 7, 3, Bound::Conversion};
  const Column second{isR ? "Cr" : "Ca", 7, 3, Bound::Fraction},
      third{isR ? "Ca" : "Cr", 7, 3, Bound::Fraction};
  const Column cs{"Cs", 7, 3, Bound::Fraction}, cd{"Cd", 7, 3, Bound::Fraction};
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real X = Conversion(i);
    const Real sR = 1 - (k2 * X * phiR) / ((1 - X) * k1);
    const Real sS = ((k2 * phiR - k3 * phiS) * X) / ((1 - X) * k1);
    phiR = IR.Add(sR) / X;
    phiS = IS.Add(sS) / X;
    const Real CA = 1 - X;
    const Real CR = X * phiR;
    const Real CS = X * phiS;
    const Real CD = (1 - phiR - phiS) * X;
    // R, S and D have taken one, two and three molecules of B.
    const Real CB = task.B0 - CR - 2 * CS - 3 * CD;
    if (!(CB > 0)) break;
    best.Offer(i, isR ? CR : CS, {X});
    if (IsPrintedStep(i, 999)) {
      out << xa(X) << second(isR ? CR : CA) << third(isR ? CA : CR) << cs(CS) << cd(CD) << Eol;
      SetCountedChartPoint(ChartIndex(i), X, isR ? phiR : phiS, isR ? CR : CS);
    }
  }

  out << task.maximumLabel
      << Maximum(isR ? "Cr" : "Cs", task.maximumQuestion, best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "наблюдается при степени конверсии         Xa ="
      << Answer("Xa", task.conversionQuestion, best.At().X, 6, 3, Bound::Conversion) << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

}  // namespace

void Task119() { RunWithB(kTask119); }
void Task122() { RunWithB(kTask122); }
