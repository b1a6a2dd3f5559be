// A -> R (k1) followed by the reversible step R <-> S (k2, k(-2)) in a
// plug-flow reactor of given volume V. The yield of R and the residence time
// are integrated over the conversion by the trapezoidal rule; the feed rate
// that the volume needs is W0 = V / Tau. Maximum yield of R.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

void Task117() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k_2 = TaskParams.P3;
  const Real V = TaskParams.P4;
  RequireNonZero(k1, "k(1)");

  TReportFile& out = BeginReport(Method::StepwiseIntegration);
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 7, 4) << "  k(2) =" << Fixed(k2, 7, 4) << Eol;
  out << "k(-2)=" << Fixed(k_2, 7, 4) << Eol;
  out << "Объем реактора, м куб. =" << Fixed(V, 4, 1) << Eol;
  out.Line("    Результаты расчета");
  out.Line("   Xa       Xr      W0 ");

  SetChartOrigin(1);
  // The integrands start at their values at zero conversion.
  Real Sel = 1;
  Trapezoid<> yield(1, kStep);
  FirstOrderResidenceTime<> Tau(k1, kStep);
  struct At {
    Real Xa, W0;
  };
  const Column xa{"Xa", 7, 3, Bound::Conversion}, xr{"Xr", 7, 3, Bound::Fraction},
      w0{"W0", 7, 5, Bound::Amount};
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    // R and S predicted from the previous selectivity: what is converted and
    // is not R is S.
    const Real f = ((1 - Xa) * k1 - k2 * Sel * Xa + (1 - Sel) * k_2 * Xa) / ((1 - Xa) * k1);
    const Real Xr = yield.Add(f);
    const Real W0 = V / Tau.At(Xa);
    Sel = Xr / Xa;
    best.Offer(i, Xr, {Xa, W0});
    if (IsPrintedStep(i, 999)) {
      out << xa(Xa) << "  " << xr(Xr) << "   " << w0(W0) << Eol;
      SetChartPoint(ChartIndex(i), Xa, Sel, Xr);
    }
  }

  out << "Максимальный выход продукта R,            Xr = "
      << Maximum("Xr", "Максимальный выход продукта R, Xr", best.Best(), 5, 3, Bound::Fraction) << Eol;
  out << "Оптимальная степень конверсии вещества А, Xa = "
      << Answer("Xa", "Степень конверсии A, при которой выход R максимален, Xa", best.At().Xa, 5, 3,
                Bound::Conversion)
      << Eol;
  out << "Скорость подачи, м куб./с,                W0 = "
      << Answer("W0", "Скорость подачи, при которой выход R максимален, W0, м3/с", best.At().W0, 7, 5,
                Bound::Amount)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}
