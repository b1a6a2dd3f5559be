// Second-order consecutive reactions A + B -> R (k1), R + B -> S (k2) with
// given initial concentrations of A and B. B is limited: the sweep ends at the
// first step that would use it up.
//   115: plug-flow reactor; the selectivity of R is integrated over the
//        conversion.
//   116: stirred tank; the selectivity of R is closed-form.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"

namespace {

struct Data {
  Real k1, k2, Ca0, Cb0;
};

Data ReadData() { return {TaskParams.P1, TaskParams.P2, TaskParams.P3, TaskParams.P4}; }

struct At {
  Real Xa, CA, CB, CS;
};

// The summary lists the concentrations at the maximum after its first two
// lines, in an order of its own per task.
struct OtherConcentration {
  const char* label;
  const char* symbol;
  const char* question;
  Real At::*value;
};
using SummaryOrder = OtherConcentration[3];

constexpr SummaryOrder kOrder115 = {{"Концентрации остальных продуктов          Cs=", "Cs",
                                     "Концентрация S при максимальном выходе R, Cs, кмоль/м3", &At::CS},
                                    {"                                          Cb=", "Cb",
                                     "Концентрация B при максимальном выходе R, Cb, кмоль/м3", &At::CB},
                                    {"                                          Ca=", "Ca",
                                     "Концентрация A при максимальном выходе R, Ca, кмоль/м3", &At::CA}};
constexpr SummaryOrder kOrder116 = {{"Концентрации остальных продуктов          Ca=", "Ca",
                                     "Концентрация A при максимальном выходе R, Ca, кмоль/м3", &At::CA},
                                    {"                                          Cb=", "Cb",
                                     "Концентрация B при максимальном выходе R, Cb, кмоль/м3", &At::CB},
                                    {"                                          Cs=", "Cs",
                                     "Концентрация S при максимальном выходе R, Cs, кмоль/м3", &At::CS}};

// The sweep of both tasks. `nextSel(Xa, CA, CR)` gives the selectivity of R
// of the step from the concentrations predicted with the previous one.
template <class NextSelectivity>
void SweepUntilBRunsOut(const Data& d, const SummaryOrder& order, Method method, NextSelectivity nextSel) {
  TReportFile& out = BeginReport(method);
  out.Line("Константы скорости, м куб./(кмоль*с)");
  out << "k(1) =" << Fixed(d.k1, 6, 3) << "  k(2) =" << Fixed(d.k2, 6, 3) << Eol;
  out << "Ca0 =" << Fixed(d.Ca0, 6, 3) << "  Cb0 =" << Fixed(d.Cb0, 6, 3) << Eol;
  out.Line("    Результаты расчета");
  out.Line("   Xa     Cr     Ca     Cs     Cb");

  SetChartOrigin(1);
  // A sweep that ends before its first row draws point 0 alone.
  ChartPointCount = 0;
  Real Sel = 1;
  const Column xa{"Xa", 7, 3, Bound::Conversion};
  const Column cr{"Cr", 7, 3, Bound::Amount}, ca{"Ca", 7, 3, Bound::Amount};
  const Column cs{"Cs", 7, 3, Bound::Amount}, cb{"Cb", 7, 3, Bound::Amount};
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    const Real CA = (1 - Xa) * d.Ca0;
    const Real CR = d.Ca0 * Xa * Sel;
    const Real CS = d.Ca0 * Xa * (1 - Sel);
    const Real CB = d.Cb0 - CR - 2 * CS;
    if (CB <= 0) break;
    Sel = nextSel(Xa, CA, CR);
    const Real Xr = Sel * Xa;
    // The table and the values at the maximum keep the concentrations of
    // the previous selectivity; Xr and the chart use the new one.
    best.Offer(i, Xr, {Xa, CA, CB, CS});
    if (IsPrintedStep(i, 999)) {
      out << xa(Xa) << cr(CR) << ca(CA) << cs(CS) << cb(CB) << Eol;
      SetCountedChartPoint(ChartIndex(i), Xa, Sel, Xr);
    }
  }

  out << "Максимальная отн. концентрация продукта R Xr="
      << Maximum("Xr", "Максимальный выход продукта R (CR/Ca0), Xr", best.Best(), 7, 3, Bound::Fraction)
      << Eol;
  out << "наблюдается при степени конверсии         Xa="
      << Answer("Xa", "Степень конверсии A, при которой выход R максимален, Xa", best.At().Xa, 7, 3,
                Bound::Conversion)
      << Eol;
  for (const OtherConcentration& other : order)
    out << other.label << Answer(other.symbol, other.question, best.At().*other.value, 7, 3, Bound::Amount)
        << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

}  // namespace

void Task115() {
  const Data d = ReadData();
  RequireNonZero(d.k1, "k(1)");
  RequireNonZero(d.Ca0, "Ca0");
  ConsecutiveSelectivity<> selectivity(kStep);
  SweepUntilBRunsOut(d, kOrder115, Method::StepwiseIntegration,
                     [&](Real Xa, Real CA, Real CR) { return selectivity.At(Xa, d.k1, CA, d.k2, CR); });
}

void Task116() {
  const Data d = ReadData();
  RequireNonZero(d.k1, "k(1)");
  SweepUntilBRunsOut(d, kOrder116, Method::Direct,
                     [&](Real Xa, Real, Real) { return Real(1 / ((d.k2 / d.k1) * (Xa / (1 - Xa)) + 1)); });
}
