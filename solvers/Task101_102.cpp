// First-order networks in a continuous stirred tank, where every outlet
// concentration follows in closed form from the conversion of A.
//   101: A -> R (k1), R -> S (k2); maximum yield of R.
//   102: A -> R (k1), R -> S (k2), S -> M (k3), R -> D (k4) at feed rate v;
//        maximum of R and the reactor volume.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

void Task101() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  RequireNonZero(k1, "k1");

  TReportFile& out = BeginReport();
  out.Line("Константы скорости, 1/с");
  out << "k1 =" << Fixed(k1, 6, 3) << "  k2 =" << Fixed(k2, 6, 3) << Eol;
  out.Line("     Результаты расчета");
  out.Line("Конверсия Селективность Выход");
  out.Line("   Xa        продукта     R");

  const Column xa{"Xa", 9, 3, Bound::Conversion};
  const Column sel{"селективность продукта R", 10, 3, Bound::Fraction};
  const Column yield{"выход R", 10, 3, Bound::Fraction};
  SetChartOrigin(1);
  struct At {
    Real Xa, SelR;
  };
  Optimum<At> best;
  // The sweep stops at 0.991; its last row is the one at 0.950.
  for (int i = 1; i <= 991; ++i) {
    const Real Xa = Conversion(i);
    const Real SelR = 1 / (1 + (k2 / k1) * (Xa / (1 - Xa)));
    const Real CR = SelR * Xa;
    best.Offer(i, CR, {Xa, SelR});
    if (i % 50 == 0) {
      out << xa(Xa) << sel(SelR) << yield(CR) << Eol;
      SetChartPoint(ChartIndex(i), Xa, SelR, CR);
    }
  }
  // Full conversion leaves no R.
  ChartX[20] = 1;
  ChartY1[20] = 0;
  ChartY2[20] = ChartX[20] * ChartY1[20];

  const Real CSopt = (1 - best.At().SelR) * best.At().Xa;
  out << "Максимальный выход продукта R,  CRmax ="
      << Maximum("CRmax", "Максимальный выход продукта R, CRmax", best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "Степень превращения при CRmax,     Xa ="
      << Answer("Xa", "Степень конверсии A, при которой выход R максимален, Xa", best.At().Xa, 6, 3,
                Bound::Conversion)
      << Eol;
  out << "Концентрация продукта S при CRmax, CS ="
      << Answer("CS", "Относительная концентрация продукта S при максимальном выходе R, CS", CSopt, 6, 3,
                Bound::Fraction)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

void Task102() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real k4 = TaskParams.P4;
  const Real v = TaskParams.P5;
  RequireNonZero(k1, "k(1)");

  TReportFile& out = BeginReport();
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 6, 3) << "  k(2) =" << Fixed(k2, 6, 3) << Eol;
  out << "k(3) =" << Fixed(k3, 6, 3) << "  k(4) =" << Fixed(k4, 6, 3) << Eol;
  out << "Скорость подачи реагентов, м куб./с =" << Fixed(v, 6, 3) << Eol;
  out.Line("    Результаты расчета");
  out.Line("  XA    CA    CR    CS    CM    CD    Vr");

  const Column xa{"XA", 6, 3, Bound::Conversion};
  const Column ca{"CA", 6, 3, Bound::Fraction}, cr{"CR", 6, 3, Bound::Fraction};
  const Column cs{"CS", 6, 3, Bound::Fraction}, cm{"CM", 6, 3, Bound::Fraction};
  const Column cd{"CD", 6, 3, Bound::Fraction}, vr{"Vr", 6, 1, Bound::Amount};
  SetChartOrigin(1);
  struct At {
    Real Xa, Vr, CA, CS, CD, CM;
  };
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    const Real CA = 1 - Xa;
    const Real SelR = (1 - Xa) * k1 / ((1 - Xa) * k1 + k2 * Xa + k4 * Xa);
    const Real CR = Xa * SelR;
    const Real SelD = k4 * Xa * SelR / ((1 - Xa) * k1);
    const Real CD = Xa * SelD;
    const Real SelS = k2 * Xa * SelR / ((1 - Xa) * k1 + k3 * Xa);
    const Real CS = Xa * SelS;
    const Real CM = (1 - SelR - SelS - SelD) * Xa;
    const Real Vr = v * Xa / ((1 - Xa) * k1);
    best.Offer(i, CR, {Xa, Vr, CA, CS, CD, CM});
    if (IsPrintedStep(i, 999)) {
      out << xa(Xa) << ca(CA) << cr(CR) << cs(CS) << cm(CM) << cd(CD) << vr(Vr) << Eol;
      SetChartPoint(ChartIndex(i), Xa, SelR, CR);
    }
  }

  const At& at = best.At();
  out.Line("Максимальная отн. концентрация");
  out << "продукта R CR ="
      << Maximum("CR", "Максимальная относительная концентрация продукта R на выходе, CR", best.Best(), 6, 3,
                 Bound::Fraction)
      << " наблюдается" << Eol;
  out << "при степени конверсии XA ="
      << Answer("XA", "Степень конверсии A, при которой концентрация R максимальна, XA", at.Xa, 6, 3,
                Bound::Conversion)
      << Eol;
  out.Line("Объем реактора при этих условиях");
  out << "Vr ="
      << Answer("Vr", "Объем реактора, при котором концентрация R максимальна, Vr, м3", at.Vr, 5, 2,
                Bound::Amount)
      << " м куб." << Eol;
  out.Line("Относительные концентрации");
  out.Line("остальных продуктов:");
  out << "CA ="
      << Answer("CA", "Относительная концентрация A на выходе при максимальной концентрации R, CA", at.CA, 6,
                3, Bound::Fraction)
      << Eol;
  out << "CS ="
      << Answer("CS", "Относительная концентрация S на выходе при максимальной концентрации R, CS", at.CS, 6,
                3, Bound::Fraction)
      << Eol;
  out << "CM ="
      << Answer("CM", "Относительная концентрация M на выходе при максимальной концентрации R, CM", at.CM, 6,
                3, Bound::Fraction)
      << Eol;
  out << "CD ="
      << Answer("CD", "Относительная концентрация D на выходе при максимальной концентрации R, CD", at.CD, 6,
                3, Bound::Fraction)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}
