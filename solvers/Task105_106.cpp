// Consecutive first-order reactions A -> R (k1), R -> S (k2), S -> M (k3) in a
// plug-flow reactor of given volume V. The concentrations of R and S and the
// residence time are integrated over the conversion by the trapezoidal rule;
// the feed rate that gives each conversion in the volume is W0 = V / Tau.
//   105: maximum of R.
//   106: maximum of S.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

namespace {

enum class Product { R, S };

// What tells the two tasks apart; every formula is shared.
struct PlugFlowVolumeTask {
  Product target;   // maximised, and drawn with its selectivity
  double originY1;  // selectivity of the target at zero conversion
  const char* heading;
  int xaWidth;  // the rows of 106 start with a space, those of 105 do not
  const char* maximumLabel;
  // The questions of the maximum, the feed rate and the conversion.
  const char* maximumQuestion;
  const char* feedQuestion;
  const char* conversionQuestion;
};

constexpr PlugFlowVolumeTask kTask105 = {
    Product::R,
    1,
    " XA    CA     CR     CS     CM",
    4,
    "Отн. максимальная концентрация вещества         R =",
    "Максимальная относительная концентрация продукта R на выходе, CR",
    "Скорость подачи A, при которой концентрация R максимальна, W0, м3/с",
    "Степень конверсии A, при которой концентрация R максимальна, Xopt"};
constexpr PlugFlowVolumeTask kTask106 = {
    Product::S,
    0,
    "  XA    CA     CR     CS     CM",
    5,
    "Отн. максимальная концентрация вещества         S =",
    "Максимальная относительная концентрация продукта S на выходе, CS",
    "Скорость подачи A, при которой концентрация S максимальна, W0, м3/с",
    "Степень конверсии A, при которой концентрация S максимальна, Xopt"};

void RunPlugFlowVolume(const PlugFlowVolumeTask& task) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real V = TaskParams.P4;
  RequireNonZero(k1, "k(1)");

  TReportFile& out = BeginReport(Method::StepwiseIntegration);
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 7, 4) << "  k(2) =" << Fixed(k2, 7, 4) << Eol;
  out << "k(3) =" << Fixed(k3, 7, 4) << Eol;
  out << "Объем реактора, м куб. =" << Fixed(V, 4, 1) << Eol;
  out.Line("    Результаты расчета");
  out.Line(task.heading);

  const bool isR = task.target == Product::R;
  SetChartOrigin(task.originY1);
  // The integrands start at their values at zero conversion.
  Real SelR = 1, SelS = 0;
  Trapezoid<> IR(1, kStep), IS(0, kStep);
  FirstOrderResidenceTime<> Tau(k1, kStep);
  const Column xa{"XA", task.xaWidth, 2, Bound::Conversion};
  const Column ca{"CA", 7, 3, Bound::Fraction}, cr{"CR", 7, 3, Bound::Fraction};
  const Column cs{"CS", 7, 3, Bound::Fraction}, cm{"CM", 7, 3, Bound::Fraction};
  struct At {
    Real W0, Xa;
  };
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    // Slopes from the selectivities of the previous step.
    const Real fR = 1 - k2 * Xa * SelR / ((1 - Xa) * k1);
    const Real fS = (k2 * SelR - k3 * SelS) * Xa / ((1 - Xa) * k1);
    SelR = IR.Add(fR) / Xa;
    SelS = IS.Add(fS) / Xa;
    const Real W0 = V / Tau.At(Xa);
    const Real CR = Xa * SelR;
    const Real CS = Xa * SelS;
    const Real CA = 1 - Xa;
    const Real CM = (1 - SelR - SelS) * Xa;
    best.Offer(i, isR ? CR : CS, {W0, Xa});
    if (IsPrintedStep(i, 999)) {
      out << xa(Xa) << ca(CA) << cr(CR) << cs(CS) << cm(CM) << Eol;
      SetChartPoint(ChartIndex(i), Xa, isR ? SelR : SelS, isR ? CR : CS);
    }
  }

  out << task.maximumLabel
      << Maximum(isR ? "R" : "S", task.maximumQuestion, best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "Скорость подачи вещества A в реактор, м куб./с W0 ="
      << Answer("W0", task.feedQuestion, best.At().W0, 8, 5, Bound::Amount) << Eol;
  out << "Оптимальная степень конверсии                Xopt ="
      << Answer("Xopt", task.conversionQuestion, best.At().Xa, 6, 3, Bound::Conversion) << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

}  // namespace

void Task105() { RunPlugFlowVolume(kTask105); }
void Task106() { RunPlugFlowVolume(kTask106); }
