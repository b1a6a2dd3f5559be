// Consecutive first-order reactions A -> R (k1), R -> S (k2), R wanted.
//   111: plug-flow reactor; the yield of R is integrated over the conversion.
//   112: stirred tank of given volume with the unreacted A recycled; the
//        selectivity is closed-form, and the summary gives the recycle ratio,
//        the concentrations of A and the production rate at the best
//        conversion per pass.

#include <string>

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

namespace {

// Rows of both tasks: the conversion, the selectivity of R and its yield,
// which the chart draws as well.
void WriteRow(TReportFile& out, int i, int xaWidth, int width, Real Xa, Real Sel, Real yield) {
  const Column xa{"Xa", xaWidth, 3, Bound::Conversion};
  const Column sel{"селективность продукта R", width, 3, Bound::Fraction};
  const Column y{"выход R", width, 3, Bound::Fraction};
  out << xa(Xa) << sel(Sel) << y(yield) << Eol;
  SetChartPoint(ChartIndex(i), Xa, Sel, yield);
}

}  // namespace

void Task111() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  RequireNonZero(k1, "k(1)");

  TReportFile& out = BeginReport(Method::StepwiseIntegration);
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 6, 3) << "  k(2) =" << Fixed(k2, 6, 3) << Eol;
  out.Line("     Результаты расчета");
  out.Line("Конверсия Селективность Выход");
  out.Line("     Xa     продукта     R");

  SetChartOrigin(1);
  // Integrated with the step as a double.
  ConsecutiveSelectivity<Real> selectivity{Real(kStep)};
  Real Sel = 1;
  struct At {
    Real Xa, Sel;
  };
  Optimum<At> best(Ties::EarliestWins, {0, 1});
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    const Real CA = 1 - Xa;
    const Real CR_pred = Sel * Xa;
    Sel = selectivity.At(Xa, k1, CA, k2, CR_pred);
    const Real CR = Sel * Xa;
    best.Offer(i, CR, {Xa, Sel});
    if (IsPrintedStep(i, 999)) WriteRow(out, i, 9, 10, Xa, Sel, CR);
  }

  // Whatever is converted and is not R is S.
  const Real CS = (1 - best.At().Sel) * best.At().Xa;
  out << "Максимальный выход продукта R,  CRmax ="
      << Maximum("CRmax", "Максимальный выход продукта R, CRmax", best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "Степень превращения при CRmax,     Xa ="
      << Answer("Xa", "Степень конверсии A, при которой выход R максимален, Xa", best.At().Xa, 6, 3,
                Bound::Conversion)
      << Eol;
  out.Line("Относительная концентрация");
  out << "продукта S при CRmax,              CS ="
      << Answer("CS", "Относительная концентрация продукта S при максимальном выходе R, CS", CS, 6, 3,
                Bound::Fraction)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

void Task112() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real CA0 = TaskParams.P3;
  const Real FA0 = TaskParams.P4;
  const Real V = TaskParams.P5;
  // k(1) = 0 leaves no step of positive yield (and k(1) = k(2) = 0 makes
  // every selectivity 0/0).
  RequireNonZero(k1, "k(1)");
  RequireNonZero(CA0, "CA0");
  // The fresh feed divides the recycle ratio; with no volume no pass converts
  // anything and the inlet concentration divides by zero.
  RequireNonZero(FA0, "FA0");
  RequireNonZero(V, "V");
  // The remaining zero divisors show only in the sweep.

  TReportFile& out = BeginReport();
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 7, 4) << "  k(2) =" << Fixed(k2, 7, 4) << Eol;
  out.Line("Исходная концентрация");
  out << "вещества А, кмоль/м куб. =" << Fixed(CA0, 6, 3) << Eol;
  out.Line("Мольная скорость подачи");
  out << "реагента А, кмоль/с =" << Fixed(FA0, 8, 5) << Eol;
  out << "Объем реактора, м куб. =" << Fixed(V, 4, 1) << Eol;
  out.Line("    Результаты расчета");
  out.Line("Конверсия Селективность Выход");
  out.Line("   Xa       продукта      R");

  SetChartOrigin(1);
  struct At {
    Real Xm, Wm;
  };
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    // Part of the selectivity's formula, so kept in extended precision.
    const Extended rates = (1 - Xa) * k1 + k2 * Xa;
    const Real Sel = (1 - Xa) * k1 / rates;
    const Real Y = Xa * Sel;
    // The rate through the reactor at which one pass converts Xa.
    const Real W = (1 - Xa) * k1 * V / Xa;
    best.Offer(i, Y, {Xa, W});
    if (IsPrintedStep(i, 999)) WriteRow(out, i, 7, 11, Xa, Sel, Y);
  }

  const Real Ymax = best.Best();
  const Real Xm = best.At().Xm;
  const Real Wm = best.At().Wm;
  // Yields too small for a double (k(2) / k(1) beyond about 1e300).
  if (Xm == 0) RefuseData("выход продукта R не положителен ни при одной степени конверсии");
  const Real W0 = FA0 / CA0;  // fresh feed
  const Real Wr = Wm - W0;    // recycle
  if (Wr == 0) RefuseData("объемная скорость рецикла = 0");
  const Real Fin = FA0 / Xm;  // A entering the reactor, kmol/s
  const Real CAin = Fin / Wm;
  const Real G = Fin * Ymax;  // production of R, kmol/s

  out.Line("Максимальная концентрация продукта R в реакционной смеси");
  out.Line("достигается при следующих условиях:");
  out.Line("- отношение  объемной скорости рецикла");
  // The lines name their quantities in two parts; the answers take the whole names.
  out << "  к общей скорости подачи                      "
      << Answer("отношение объемной скорости рецикла к общей скорости подачи",
                "Отношение объемной скорости рецикла к подаче свежего реагента, Wрец/W0", Wr / W0, 7, 3,
                Bound::Amount)
      << Eol;
  out.Line("- концентрация вещества А");
  out << "  на входе в реактор, кмоль/м куб.             "
      << Answer("концентрация вещества А на входе в реактор, кмоль/м куб.",
                "Концентрация A на входе в реактор, CAвх, кмоль/м3", CAin, 7, 3, Bound::Amount)
      << Eol;
  out << "  на выходе из реактора, кмоль/м куб.          "
      << Answer("концентрация вещества А на выходе из реактора, кмоль/м куб.",
                "Концентрация A на выходе из реактора, CAвых, кмоль/м3", (1 - Xm) * CAin, 7, 3, Bound::Amount)
      << Eol;
  out << "  в рециркуляте, кмоль/м куб.                  "
      << Answer("концентрация вещества А в рециркуляте, кмоль/м куб.",
                "Концентрация A в рециркуляте, CAрец, кмоль/м3", G / Wr, 7, 3, Bound::Amount)
      << Eol;
  out << "Производительность системы по продукту, кмоль/с"
      << Answer("производительность системы по продукту, кмоль/с",
                "Производительность системы по продукту R, Fr, кмоль/с", G, 9, 5, Bound::Amount)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}
