// First-order network A -> R (k1), R -> S (k2), S -> products (k3),
// R -> side products (k4) in a plug-flow reactor fed at the rate W. The
// concentrations of R and S and the residence time are integrated over the
// conversion by the trapezoidal rule; the volume is Vr = W * residence time.
//   109: maximum of R.
//   110: maximum of S.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

namespace {

enum class Product { R, S };

// What tells the two tasks apart; every formula is shared.
struct FourConstantTask {
  Product target;  // maximised, and drawn with its selectivity
  // The selectivity of S is 0/0 at zero conversion, so task 110 draws the
  // value of its third step there instead of a fixed start.
  bool originFromThirdStep;
  const char* heading;
  const char* maximumLabel;
  const char* otherProductLabel;  // the one of R and S that is not the target
  // The questions of the answers in the report's order: the maximum, the
  // conversion, the volume, A and the other product.
  const char* questions[5];
};

constexpr FourConstantTask kTask109 = {
    Product::R,
    false,
    " XA     CA     CR     CS     Vr",
    "Максимальная отн. концентрация продукта R CR =",
    "                                          CS =",
    {"Максимальная относительная концентрация продукта R на выходе, CR",
     "Степень конверсии A, при которой концентрация R максимальна, XA",
     "Объем реактора, при котором концентрация R максимальна, Vr, м3",
     "Относительная концентрация A на выходе при максимальной концентрации R, CA",
     "Относительная концентрация S на выходе при максимальной концентрации R, CS"}};
constexpr FourConstantTask kTask110 = {
    Product::S,
    true,
    " XA     Ca     Cr     Cs     Vr",
    "Максимальная отн. концентрация продукта S CS =",
    "                                          CR =",
    {"Максимальная относительная концентрация продукта S на выходе, CS",
     "Степень конверсии A, при которой концентрация S максимальна, XA",
     "Объем реактора, при котором концентрация S максимальна, Vr, м3",
     "Относительная концентрация A на выходе при максимальной концентрации S, CA",
     "Относительная концентрация R на выходе при максимальной концентрации S, CR"}};

void RunFourConstant(const FourConstantTask& task) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real k4 = TaskParams.P4;
  const Real W = TaskParams.P5;
  RequireNonZero(k1, "k(1)");

  TReportFile& out = BeginReport(Method::StepwiseIntegration);
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 6, 3) << "  k(2) =" << Fixed(k2, 6, 4) << Eol;
  out << "k(3) =" << Fixed(k3, 6, 3) << "  k(4) =" << Fixed(k4, 6, 4) << Eol;
  out << "Скорость подачи реагентов, м куб./с =" << Fixed(W, 6, 4) << Eol;
  out.Line("    Результаты расчета");
  out.Line(task.heading);

  const bool isR = task.target == Product::R;
  if (!task.originFromThirdStep) SetChartOrigin(1);
  // The step as a double, and the integrands at their values at zero
  // conversion.
  const Real h = kStep;
  Real SelR = 1, SelS = 0;
  Trapezoid<Real, Real> IR(1, h), IS(0, h);
  FirstOrderResidenceTime<Real> IV(k1, h);
  const Column xa{"XA", 4, 3, Bound::Conversion};
  const Column ca{"CA", 7, 3, Bound::Fraction}, cr{"CR", 7, 3, Bound::Fraction};
  const Column cs{"CS", 7, 3, Bound::Fraction}, vr{"Vr", 7, 3, Bound::Amount};
  struct At {
    Real Xa, CA, CR, CS, Vr;
  };
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    // Slopes from the selectivities of the previous step.
    const Real fR = ((1 - Xa) * k1 - Xa * SelR * (k2 + k4)) / ((1 - Xa) * k1);
    const Real fS = (k2 * SelR - k3 * SelS) * Xa / ((1 - Xa) * k1);
    SelR = IR.Add(fR) / Xa;
    SelS = IS.Add(fS) / Xa;
    const Real Vr = W * IV.At(Xa);
    const Real CA = 1 - Xa;
    const Real CS = Xa * SelS;
    const Real CR = Xa * SelR;
    best.Offer(i, isR ? CR : CS, {Xa, CA, CR, CS, Vr});
    if (task.originFromThirdStep && i == 3) ChartY1[0] = SelS.value();
    if (IsPrintedStep(i, 999)) {
      // Xa overflows its field: a row starts with its digits.
      out << xa(Xa) << ca(CA) << cr(CR) << cs(CS) << vr(Vr) << Eol;
      SetChartPoint(ChartIndex(i), Xa, isR ? SelR : SelS, isR ? CR : CS);
    }
  }
  if (task.originFromThirdStep) {
    ChartX[0] = 0;
    ChartY2[0] = ChartX[0] * ChartY1[0];
  }

  const At& at = best.At();
  out << task.maximumLabel
      << Maximum(isR ? "CR" : "CS", task.questions[0], best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "наблюдается при степени конверсии         XA ="
      << Answer("XA", task.questions[1], at.Xa, 6, 3, Bound::Conversion) << Eol;
  out << "Объем реактора при этих условиях          Vr ="
      << Answer("Vr", task.questions[2], at.Vr, 6, 3, Bound::Amount) << Eol;
  out.Line("Относительные концентрации остальных продуктов");
  out << "                                          CA ="
      << Answer("CA", task.questions[3], at.CA, 6, 3, Bound::Fraction) << Eol;
  out << task.otherProductLabel
      << Answer(isR ? "CS" : "CR", task.questions[4], isR ? at.CS : at.CR, 6, 3, Bound::Fraction) << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

}  // namespace

void Task109() { RunFourConstant(kTask109); }
void Task110() { RunFourConstant(kTask110); }
