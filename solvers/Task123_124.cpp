// The consecutive scheme A + B -> R (k(1)), R + B -> S (k(2)), S + B -> D
// (k(3)) in a continuous stirred tank, with concentrations relative to the
// inlet concentration of A. The selectivities to R and S are the roots of the
// tank's two balances; the sweep ends when B is used up.
//   123: B fed as much as A; maximum of R.
//   124: B fed twice as much as A; maximum of S.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"

double PriorRoot = 0;

// The tank's balances for the selectivity to R, then, with that root in
// PriorRoot, to S.
Extended BalanceR123(double argument) {
  const Real X = CurrentConversion;
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real x = argument;
  return ((1 - X) * k1 - k2 * X * x) / ((1 - X) * k1);
}

Extended BalanceS123(double argument) {
  const Real X = CurrentConversion;
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real x = argument;
  const Real prior = PriorRoot;
  return (k2 * (X * prior) - k3 * (X * x)) / (k1 * (1 - X));
}

namespace {

enum class Product { R, S };

struct ConsecutiveTank {
  double B0;  // inlet concentration of B relative to that of A
  Product target;
  const char* resultLabel;
  const char* maximumQuestion;
  const char* conversionQuestion;
};

const ConsecutiveTank kTask123 = {1, Product::R, "Максимальная отн. концентрация продукта R Cr =",
                                  "Максимальная относительная концентрация продукта R на выходе, Cr",
                                  "Степень конверсии A, при которой концентрация R максимальна, Xa"};
const ConsecutiveTank kTask124 = {2, Product::S, "Максимальная отн. концентрация продукта S Cs =",
                                  "Максимальная относительная концентрация продукта S на выходе, Cs",
                                  "Степень конверсии A, при которой концентрация S максимальна, Xa"};

void RunConsecutiveTank(const ConsecutiveTank& task) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real B0 = task.B0;
  RequireNonZero(k1, "k(1)");  // both balances divide by k(1) * (1 - X)

  TReportFile& out = BeginReport();
  out.Line("Константы скорости, м куб./(кмоль*с)");
  out << "k(1) =" << Fixed(k1, 6, 3) << "  k(2) =" << Fixed(k2, 6, 3) << Eol;
  out << "k(3) =" << Fixed(k3, 6, 3) << Eol;
  out.Line("    Результаты расчета");
  out.Line("   Xa     Ca     Cr     Cs     Cd");

  // The target's selectivity at zero conversion: all converted A is found as R.
  SetChartOrigin(task.target == Product::R ? 1.0 : 0.0);
  ChartPointCount = 0;  // only the points of this run are drawn
  RunSucceeded = true;
  double startR = 1.0, startS = 0;
  double rootR = 0, rootS = 0;
  struct At {
    Real X;
  };
  const Column xa{"Xa", 7, 3, Bound::Conversion}, ca{"Ca", 7, 3, Bound::Fraction};
  const Column cr{"Cr", 7, 3, Bound::Fraction}, cs{"Cs", 7, 3, Bound::Fraction},
      cd{"Cd", 7, 3, Bound::Fraction};
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real X = Conversion(i);
    CurrentConversion = X.value();
    SolveFixedPoint(BalanceR123, rootR, startR, RunSucceeded);
    const Real phiR = rootR;
    PriorRoot = phiR.value();
    SolveFixedPoint(BalanceS123, rootS, startS, RunSucceeded);
    const Real phiS = rootS;
    const Real CA = 1 - X;
    const Real CR = X * phiR;
    const Real CS = X * phiS;
    const Real CD = (1 - phiR - phiS) * X;
    // R, S and D have taken one, two and three molecules of B.
    const Real CB = B0 - CR - 2 * CS - 3 * CD;
    if (!(CB > 0)) break;
    startR = phiR.value();
    startS = phiS.value();
    const bool forR = task.target == Product::R;
    best.Offer(i, forR ? CR : CS, {X});
    if (IsPrintedStep(i, 999)) {
      out << xa(X) << ca(CA) << cr(CR) << cs(CS) << cd(CD) << Eol;
      SetCountedChartPoint(ChartIndex(i), X, forR ? phiR : phiS, forR ? CR : CS);
    }
  }

  const bool forR = task.target == Product::R;
  out << task.resultLabel
      << Maximum(forR ? "Cr" : "Cs", task.maximumQuestion, best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "наблюдается при степени конверсии         Xa ="
      << Answer("Xa", task.conversionQuestion, best.At().X, 6, 3, Bound::Conversion) << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

}  // namespace

void Task123() { RunConsecutiveTank(kTask123); }
void Task124() { RunConsecutiveTank(kTask124); }
