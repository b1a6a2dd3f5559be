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

void Task120() {
  const Real P1 = TaskParams.P1;
  const Real P2 = TaskParams.P2;
  const Real P3 = TaskParams.P3;
  const Real P4 = TaskParams.P4;
  const Real P5 = TaskParams.P5;
  RequireNonZero(P4, "Ca0");
  if (P1 == 0 && P2 == 0) RefuseData("k(1) = 0, k(2) = 0");
  if (P1 == 0 && P5 == 0) RefuseData("k(1) = 0, Cb0 = 0");

  const Real S0 = P2 * P4 * P5 / (P1 * P4 + P2 * P4 * P5);
  // The right-hand side of the balance at zero conversion.
  double Start = Real((P2 * P4 * P5 + P3 * P5) / (P1 * P4 + P2 * P4 * P5)).value();
  double root = 0;
  RunSucceeded = true;

  TReportFile& out = BeginReport();
  out.Line("Константы скорости: ");
  out << "k(1) =" << Fixed(P1, 7, 4) << " 1/с;" << Eol;
  out << "k(2) =" << Fixed(P2, 7, 4) << " м куб./(кмоль*с);" << Eol;
  out << "k(3) =" << Fixed(P3, 7, 4) << " 1/с;" << Eol;
  out << "Ca0  =" << Fixed(P4, 6, 3) << " кмоль/м куб.;" << Eol;
  out << "Cb0  =" << Fixed(P5, 6, 3) << " кмоль/м куб.;" << Eol;
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
    SolveFixedPoint(120, root, Start, RunSucceeded);
    const Real x = root;
    const Real CA = (1 - X) * P4;
    const Real CB = P5 - P4 * X * x;
    if (!(CB > 0)) {
      RunSucceeded = false;
      break;
    }
    const Real S = P2 * CA * CB / (P1 * CA + P2 * CA * CB);
    const Real XS = X * S;
    Start = x.value();
    best.Offer(i, XS, {X});
    if (IsPrintedStep(i, 990)) {
      out << xa(X) << ca(CA) << cb(CB) << xs(XS) << Eol;
      SetCountedChartPoint(ChartIndex(i), X, S, XS);
    }
  }

  out << "Максимальный выход по продукту     S =" << Answer("S", best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "наблюдается при степени конверсии XA =" << Answer("XA", best.At().X, 6, 3, Bound::Conversion)
      << Eol;
  EndReport(best.Where());
}

void Task121() {
  const Real P1 = TaskParams.P1;
  const Real P2 = TaskParams.P2;
  const Real P3 = TaskParams.P3;
  const Real P4 = TaskParams.P4;
  RequireNonZero(P1, "k(1)");
  RequireNonZero(P3, "Ca0");

  Real IR = 0;           // running integral of the point selectivity: the yield of R
  Real IT = 0;           // running integral of 1 / rate: the residence time over Ca0
  Real rPrev = P1 * P3;  // the rate at the inlet
  Real sPrev = 1.0;
  Real phiR = 1.0;

  TReportFile& out = BeginReport(Method::StepwiseIntegration);
  out.Line("Константы скорости: ");
  out << "k(1) =" << Fixed(P1, 7, 4) << " 1/с;" << Eol;
  out << "k(2) =" << Fixed(P2, 7, 4) << " м куб./(кмоль*с);" << Eol;
  out << "Ca0  =" << Fixed(P3, 6, 3) << " кмоль/м куб.;" << Eol;
  out << "  V  =" << Fixed(P4, 6, 3) << " м куб." << Eol;
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
    CurrentConversion = X.value();
    const Real CA = (1 - X) * P3;
    const Real r1 = P1 * CA;
    const Real CR = P3 * X * phiR;  // phiR of the previous step
    const Real r2 = P2 * CR * CR;
    const Real s = 1 - r2 / r1;
    IR = IR + ((sPrev + s) / 2) * kStep;
    phiR = IR / X;
    const Real XR = phiR * X;
    IT = IT + ((1 / rPrev + 1 / r1) / 2) * kStep;
    const Real W0 = P4 / (P3 * IT);
    sPrev = s;
    rPrev = r1;
    best.Offer(i, XR, {X, W0});
    if (IsPrintedStep(i, 999)) {
      out << xa(X) << xr(XR) << w0(W0) << Eol;
      SetChartPoint(ChartIndex(i), X, phiR, XR);
    }
  }

  out << "Максимальная отн. концентрация продукта R Cr =" << Answer("Cr", best.Best(), 6, 3, Bound::Fraction)
      << Eol;
  out << "наблюдается при степени конверсии         Xa ="
      << Answer("Xa", best.At().X, 6, 3, Bound::Conversion) << Eol;
  out << "и скорости подачи исходного вещества      Wo =" << Answer("Wo", best.At().W0, 6, 3, Bound::Amount)
      << Eol;
  EndReport(best.Where());
}
