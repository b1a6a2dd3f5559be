// Reactions of mixed first and second order.
//   120: stirred tank; A -> R (k(1)), A + B -> S (k(2)), B consumed at first
//        order (k(3)); maximum yield of S. The ratio of B consumed to A
//        converted is the root of the tank's balance; the sweep ends when B
//        is used up.
//   121: plug-flow reactor of volume V; A -> R (k(1)), R consumed at second
//        order (k(2)); maximum of R and the feed rate, by trapezoidal sums.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"

namespace {

// The tank at conversion X when x is the ratio of B consumed to A converted:
// A and B left.
struct Outlet120 {
  Real CA, CB;
};
Outlet120 OutletOf120(Real X, Real x, Real Ca0, Real Cb0) { return {(1 - X) * Ca0, Cb0 - Ca0 * X * x}; }

}  // namespace

// The tank's balance for the ratio of B consumed to A converted.
Extended Balance120(double argument) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const auto [CA, CB] = OutletOf120(CurrentConversion, argument, TaskParams.P4, TaskParams.P5);
  return (k2 * CA * CB + k3 * CB) / (k1 * CA + k2 * CA * CB);
}

void Task120() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real Ca0 = TaskParams.P4;
  const Real Cb0 = TaskParams.P5;
  RequireNonZero(Ca0, "Ca0");
  if (k1 == 0 && k2 == 0) RefuseData("k(1) = 0, k(2) = 0");
  if (k1 == 0 && Cb0 == 0) RefuseData("k(1) = 0, Cb0 = 0");

  const Real S0 = k2 * Ca0 * Cb0 / (k1 * Ca0 + k2 * Ca0 * Cb0);
  // The right-hand side of the balance at zero conversion.
  double Start = Real((k2 * Ca0 * Cb0 + k3 * Cb0) / (k1 * Ca0 + k2 * Ca0 * Cb0)).value();
  double root = 0;
  RunSucceeded = true;

  TReportFile& out = BeginReport();
  out.Line("Константы скорости: ");
  out << "k(1) =" << Fixed(k1, 7, 4) << " 1/с;" << Eol;
  out << "k(2) =" << Fixed(k2, 7, 4) << " м куб./(кмоль*с);" << Eol;
  out << "k(3) =" << Fixed(k3, 7, 4) << " 1/с;" << Eol;
  out << "Ca0  =" << Fixed(Ca0, 6, 3) << " кмоль/м куб.;" << Eol;
  out << "Cb0  =" << Fixed(Cb0, 6, 3) << " кмоль/м куб.;" << Eol;
  out.Line("    Результаты расчета");
  out.Line("   XA     CA     CB     XS");

  SetChartOrigin(S0);
  ChartPointCount = 0;  // only the points of this run are drawn
  struct At {
    Real X;
  };
  const Column xa{"XA", 7, 3, Bound::Conversion}, ca{"CA", 7, 3, Bound::Amount};
  const Column cb{"CB", 7, 3, Bound::Amount}, xs{"XS", 7, 3, Bound::Fraction};
  Optimum<At> best;
  for (int i = 1; i <= 990; ++i) {
    const Real X = Conversion(i);
    CurrentConversion = X.value();
    SolveFixedPoint(Balance120, root, Start, RunSucceeded);
    const Real x = root;
    const auto [CA, CB] = OutletOf120(X, x, Ca0, Cb0);
    if (!(CB > 0)) {
      RunSucceeded = false;
      break;
    }
    const Real S = k2 * CA * CB / (k1 * CA + k2 * CA * CB);
    const Real XS = X * S;
    Start = x.value();
    best.Offer(i, XS, {X});
    if (IsPrintedStep(i, 990)) {
      out << xa(X) << ca(CA) << cb(CB) << xs(XS) << Eol;
      SetCountedChartPoint(ChartIndex(i), X, S, XS);
    }
  }

  out << "Максимальный выход по продукту     S ="
      << Maximum("S", "Максимальный выход продукта S по веществу A, XS", best.Best(), 6, 3, Bound::Fraction)
      << Eol;
  out << "наблюдается при степени конверсии XA ="
      << Answer("XA", "Степень конверсии A, при которой выход S максимален, XA", best.At().X, 6, 3,
                Bound::Conversion)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

void Task121() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real Ca0 = TaskParams.P3;
  const Real V = TaskParams.P4;
  RequireNonZero(k1, "k(1)");
  RequireNonZero(Ca0, "Ca0");

  // The integral of the point selectivity (the yield of R) and of 1 / rate
  // (the residence time over Ca0), from their values at the inlet; the rate's
  // reciprocal is taken afresh from the rate each step.
  Trapezoid<> IR(1.0, kStep);
  const Real inletRate = k1 * Ca0;
  Trapezoid<Extended> IT(1 / inletRate, kStep);
  Real phiR = 1.0;

  TReportFile& out = BeginReport(Method::StepwiseIntegration);
  out.Line("Константы скорости: ");
  out << "k(1) =" << Fixed(k1, 7, 4) << " 1/с;" << Eol;
  out << "k(2) =" << Fixed(k2, 7, 4) << " м куб./(кмоль*с);" << Eol;
  out << "Ca0  =" << Fixed(Ca0, 6, 3) << " кмоль/м куб.;" << Eol;
  out << "  V  =" << Fixed(V, 6, 3) << " м куб." << Eol;
  out.Line("    Результаты расчета");
  out.Line("   XA     XR     W0");

  SetChartOrigin(phiR);
  struct At {
    Real X, W0;
  };
  const Column xa{"XA", 7, 3, Bound::Conversion}, xr{"XR", 7, 3, Bound::Fraction};
  const Column w0{"W0", 7, 3, Bound::Amount};
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real X = Conversion(i);
    const Real CA = (1 - X) * Ca0;
    const Real r1 = k1 * CA;
    const Real CR = Ca0 * X * phiR;  // phiR of the previous step
    const Real r2 = k2 * CR * CR;
    const Real s = 1 - r2 / r1;
    phiR = IR.Add(s) / X;
    const Real XR = phiR * X;
    const Real W0 = V / (Ca0 * IT.Add(1 / r1));
    best.Offer(i, XR, {X, W0});
    if (IsPrintedStep(i, 999)) {
      out << xa(X) << xr(XR) << w0(W0) << Eol;
      SetChartPoint(ChartIndex(i), X, phiR, XR);
    }
  }

  out << "Максимальная отн. концентрация продукта R Cr ="
      << Maximum("Cr", "Максимальная относительная концентрация продукта R на выходе (CR/Ca0), Cr",
                 best.Best(), 6, 3, Bound::Fraction)
      << Eol;
  out << "наблюдается при степени конверсии         Xa ="
      << Answer("Xa", "Степень конверсии A, при которой концентрация R максимальна, Xa", best.At().X, 6, 3,
                Bound::Conversion)
      << Eol;
  out << "и скорости подачи исходного вещества      Wo ="
      << Answer("Wo", "Скорость подачи A, при которой концентрация R максимальна, W0, м3/с", best.At().W0, 6,
                3, Bound::Amount)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}
