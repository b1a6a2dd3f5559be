// Consecutive first-order reactions A -> R (k1), R -> S (k2), S -> M (k3) in a
// stirred tank of given volume V, where every outlet concentration and the
// feed rate W0 follow in closed form from the conversion.
//   107: maximum of R.
//   108: maximum of S.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

namespace {

enum class Product { R, S };

// What tells the two tasks apart; every formula is shared.
struct StirredVolumeTask {
  Product target;   // maximised, and drawn with its selectivity
  double originY1;  // selectivity of the target at zero conversion
  bool unitLine;    // 108 prints its constants without the unit line
  const char* resultsHeading;
  const char* maximumLabel;
  const char* otherProductLabel;  // the one of R and S that is not the target
  // The questions of the answers in the report's order: the maximum, the
  // conversion, the feed rate, the other product, A and M.
  const char* questions[6];
};

constexpr StirredVolumeTask kTask107 = {
    Product::R,
    1,
    true,
    "    Результаты расчета",
    "Максимальная отн. концентрация продукта R  Cr =",
    "Отн. концентрации остальных продуктов      Cs =",
    {"Максимальная относительная концентрация продукта R на выходе, Cr",
     "Степень конверсии A, при которой концентрация R максимальна, Xa",
     "Скорость подачи, при которой концентрация R максимальна, W0, м3/с",
     "Относительная концентрация S на выходе при максимальной концентрации R, Cs",
     "Относительная концентрация A на выходе при максимальной концентрации R, Ca",
     "Относительная концентрация M на выходе при максимальной концентрации R, Cm"}};
constexpr StirredVolumeTask kTask108 = {
    Product::S,
    0,
    false,
    "     Результаты расчета",
    "Максимальная отн. концентрация продукта S  Cs =",
    "Отн. концентрации остальных продуктов      Cr =",
    {"Максимальная относительная концентрация продукта S на выходе, Cs",
     "Степень конверсии A, при которой концентрация S максимальна, Xa",
     "Скорость подачи, при которой концентрация S максимальна, W0, м3/с",
     "Относительная концентрация R на выходе при максимальной концентрации S, Cr",
     "Относительная концентрация A на выходе при максимальной концентрации S, Ca",
     "Относительная концентрация M на выходе при максимальной концентрации S, Cm"}};

void RunStirredVolume(const StirredVolumeTask& task) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real V = TaskParams.P4;
  RequireNonZero(k1, "k(1)");

  TReportFile& out = BeginReport();
  if (task.unitLine) out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 7, 4) << "  k(2) =" << Fixed(k2, 7, 4) << Eol;
  out << "k(3) =" << Fixed(k3, 7, 4) << Eol;
  out << "Объем реактора, м куб. =" << Fixed(V, 4, 1) << Eol;
  out.Line(task.resultsHeading);
  out.Line(" Xa     Ca     Cr     Cs     Cm     W0");

  const bool isR = task.target == Product::R;
  SetChartOrigin(task.originY1);
  const Column xa{"Xa", 4, 3, Bound::Conversion};
  const Column ca{"Ca", 7, 3, Bound::Fraction}, cr{"Cr", 7, 3, Bound::Fraction};
  const Column cs{"Cs", 7, 3, Bound::Fraction}, cm{"Cm", 7, 3, Bound::Fraction};
  const Column w0{"W0", 8, 4, Bound::Amount};
  struct At {
    Real Xa, W0, Ca, Cr, Cs, Cm;
  };
  // Of equal values the later step wins.
  Optimum<At> best(Ties::LatestWins);
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    const Real SelR = 1 / (1 + k2 * Xa / ((1 - Xa) * k1));
    const Real SelS = k2 * Xa * SelR / ((1 - Xa) * k1 + k3 * Xa);
    const Real W0 = V * k1 * (1 - Xa) / Xa;
    const Real Ca = 1 - Xa;
    const Real Cr = Xa * SelR;
    const Real Cs = Xa * SelS;
    const Real Cm = (1 - SelR - SelS) * Xa;
    best.Offer(i, isR ? Cr : Cs, {Xa, W0, Ca, Cr, Cs, Cm});
    if (IsPrintedStep(i, 999)) {
      // Xa overflows its field: a row starts with its digits.
      out << xa(Xa) << ca(Ca) << cr(Cr) << cs(Cs) << cm(Cm) << w0(W0) << Eol;
      SetChartPoint(ChartIndex(i), Xa, isR ? SelR : SelS, isR ? Cr : Cs);
    }
  }

  const At& at = best.At();
  out << task.maximumLabel
      << Maximum(isR ? "Cr" : "Cs", task.questions[0], best.Best(), 6, 3, Bound::Fraction) << Eol;
  out << "наблюдается при степени конверсии          Xa ="
      << Answer("Xa", task.questions[1], at.Xa, 6, 3, Bound::Conversion) << Eol;
  out << "скорость подачи исходных веществ, м куб./с W0 ="
      << Answer("W0", task.questions[2], at.W0, 8, 5, Bound::Amount) << Eol;
  out << task.otherProductLabel
      << Answer(isR ? "Cs" : "Cr", task.questions[3], isR ? at.Cs : at.Cr, 6, 3, Bound::Fraction) << Eol;
  out << "                                           Ca ="
      << Answer("Ca", task.questions[4], at.Ca, 6, 3, Bound::Fraction) << Eol;
  out << "                                           Cm ="
      << Answer("Cm", task.questions[5], at.Cm, 6, 3, Bound::Fraction) << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

}  // namespace

void Task107() { RunStirredVolume(kTask107); }
void Task108() { RunStirredVolume(kTask108); }
