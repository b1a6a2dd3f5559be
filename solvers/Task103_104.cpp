// Second-order reactions of A with a second reagent B in a continuous stirred
// tank. The selectivities at each conversion come from the tank's balances,
// solved numerically; the sweep ends when B is used up.
//   103: A + B -> R (k1), R + B -> S (k2), A + B -> T (k3) at feed rate v;
//        maximum production rate of R (system of two balances).
//   104: A + B -> R (k1), A + R -> S (k2) in a tank of volume V; maximum
//        yield of R and the feed rate (one balance).

#include <string>

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"

namespace {

// Task 103's tank at conversion Xa with the selectivities x1 (to R) and x2 (to
// S): A left, R, S and T formed, and B left, each R, T and S having taken one,
// one and two B.
struct Outlet103 {
  Real ca, cr, cs, ct, cb;
};
Outlet103 OutletOf103(Real Xa, Real x1, Real x2, Real Ca0, Real Cb0) {
  const Real ca = (1 - Xa) * Ca0;
  const Real cr = Ca0 * Xa * x1;
  const Real cs = Ca0 * Xa * x2;
  const Real ct = Ca0 * Xa * (1 - x1 - x2);
  return {ca, cr, cs, ct, Real(Cb0 - cr - 2 * cs - ct)};
}

// Task 104's tank at conversion Xa with the selectivity x to R: A left, R and
// S formed (each S from one A and one R), and B left.
struct Outlet104 {
  Real Ca, Cr, Cs, Cb;
};
Outlet104 OutletOf104(Real Xa, Real x, Real Ca0, Real Cb0) {
  const Real Ca = (1 - Xa) * Ca0;
  const Real Cr = Ca0 * Xa * x;
  const Real Cs = (Ca0 - Ca - Cr) / 2;
  return {Ca, Cr, Cs, Real(Cb0 - Cr - Cs)};
}

}  // namespace

void Balances103(TVector& F, const TVector& X, bool& Ok) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real x1 = X[1];
  const Real x2 = X[2];
  const Outlet103 c = OutletOf103(CurrentConversion, x1, x2, TaskParams.P4, TaskParams.P5);
  const Real r1 = k1 * c.ca * c.cb;
  const Real r2 = k2 * c.cr * c.cb;
  const Real r3 = k3 * c.ca * c.cb;
  F[1] = Real((r1 - r2) / (r1 + r3) - x1).value();
  F[2] = Real(r2 / (r1 + r3) - x2).value();
  Ok = true;
}

Extended Balance104(double x) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Outlet104 c = OutletOf104(CurrentConversion, x, TaskParams.P3, TaskParams.P4);
  const Real r1 = k1 * c.Ca * c.Cb;
  const Real r2 = k2 * c.Ca * c.Cr;
  return (r1 - r2) / (r1 + r2);
}

void Task103() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k3 = TaskParams.P3;
  const Real Ca0 = TaskParams.P4;
  const Real Cb0 = TaskParams.P5;
  const Real v = TaskParams.P6;
  // A zero k1 or k2 drives a selectivity to exactly 0, where the system
  // solver's difference step and convergence test divide by it.
  RequireNonZero(k1, "k(1)");
  RequireNonZero(k2, "k(2)");
  RequireNonZero(Ca0, "Ca0");

  TReportFile& out = BeginReport();
  out.Line("Константы скорости, м куб./(кмоль*с)");
  out << "k(1) =" << Fixed(k1, 6, 3) << "  k(2) =" << Fixed(k2, 6, 3) << Eol;
  out << "k(3) =" << Fixed(k3, 6, 3) << Eol;
  out.Line("Концентрации реагентов, кмоль/м куб.:");
  out << "Ca0 =" << Fixed(Ca0, 4, 1) << "  Cb0 =" << Fixed(Cb0, 4, 1) << Eol;
  out << "Скорость подачи реагентов, м куб./с =" << Fixed(v, 6, 3) << Eol;
  out.Line("    Результаты расчета");
  out.Line("  xa    ca    cb    cr    cs    ct    Fr");

  // Selectivities to R and S; each step starts from the previous solution.
  UnknownVector[1] = 0.5;
  UnknownVector[2] = 0.1;
  UnknownBounds[1] = {0, 1};
  UnknownBounds[2] = {0, 1};
  SetChartOrigin(Real(k1 / (k1 + k3)));
  ChartPointCount = 0;  // nothing older is drawn if B runs out before the first row

  const Column xaColumn{"xa", 6, 3, Bound::Conversion};
  const Column caColumn{"ca", 6, 3, Bound::Amount}, cbColumn{"cb", 6, 3, Bound::Amount};
  const Column crColumn{"cr", 6, 3, Bound::Amount}, csColumn{"cs", 6, 3, Bound::Amount};
  const Column ctColumn{"ct", 6, 3, Bound::Amount}, frColumn{"Fr", 6, 3, Bound::Amount};
  struct At {
    Real xa, ca, cb, cr, cs, ct;
  };
  Optimum<At> best;
  for (int i = 1; i <= 700; ++i) {
    const Real xa = Conversion(i);
    CurrentConversion = xa.value();
    try {
      SolveNonlinearSystem(Balances103, 2, ResidualVector, 1.0E-4, UnknownVector, RunSucceeded);
    } catch (const NumericalError& e) {
      throw NumericalError(std::string(e.what()) + ": балансы реактора вырождены при Xa =" +
                           FormatFixed(xa, 6, 3) + " для данных k(1) = " + ShortestText(k1.value()) +
                           ", k(2) = " + ShortestText(k2.value()) + ", k(3) = " + ShortestText(k3.value()) +
                           ", Ca0 = " + ShortestText(Ca0.value()) + ", Cb0 = " + ShortestText(Cb0.value()));
    }
    const Real x1 = UnknownVector[1];
    const Real x2 = UnknownVector[2];
    const auto [ca, cr, cs, ct, cb] = OutletOf103(xa, x1, x2, Ca0, Cb0);
    if (!(cb > 0)) break;
    const Real Fr = cr * v;
    best.Offer(i, Fr, {xa, ca, cb, cr, cs, ct});
    if (i % 50 == 0) {
      out << xaColumn(xa) << caColumn(ca) << cbColumn(cb) << crColumn(cr) << csColumn(cs) << ctColumn(ct)
          << frColumn(Fr) << Eol;
      SetCountedChartPoint(i / 50, xa, x1, Real(cr / Ca0));
    }
  }

  const At& at = best.At();
  out << "При степени конверсии Xa ="
      << Answer("Xa", "Степень конверсии A, при которой производительность по R максимальна, Xa", at.xa, 6, 3,
                Bound::Conversion)
      << " достигается" << Eol;
  out.Line("максимальная производительность");
  // The line has no symbol: the answer takes that of the table's column.
  out << "по продукту R, кмоль/с             ="
      << Maximum("Fr", "Максимальная производительность реактора по продукту R, Fr, кмоль/с", best.Best(), 7,
                 5, Bound::Amount)
      << Eol;
  out.Line("При этом концентрации веществ на выходе");
  out.Line("из реактора, кмоль/м куб.:");
  out << "                      вещества А Са="
      << Answer("Са", "Концентрация A на выходе при максимальной производительности, Ca, кмоль/м3", at.ca, 6,
                4, Bound::Amount)
      << Eol;
  out << "                      ващества В Св="
      << Answer("Св", "Концентрация B на выходе при максимальной производительности, Cb, кмоль/м3", at.cb, 6,
                4, Bound::Amount)
      << Eol;
  out << "                      вещества R Cr="
      << Answer("Cr", "Концентрация R на выходе при максимальной производительности, Cr, кмоль/м3", at.cr, 6,
                4, Bound::Amount)
      << Eol;
  out << "                      вещества S Cs="
      << Answer("Cs", "Концентрация S на выходе при максимальной производительности, Cs, кмоль/м3", at.cs, 6,
                4, Bound::Amount)
      << Eol;
  out << "                      вещества Т Сt="
      << Answer("Сt", "Концентрация T на выходе при максимальной производительности, Ct, кмоль/м3", at.ct, 6,
                4, Bound::Amount)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

void Task104() {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real Ca0 = TaskParams.P3;
  const Real Cb0 = TaskParams.P4;
  const Real V = TaskParams.P5;
  RequireNonZero(Ca0, "Ca0");
  // Both rates vanish and the balance divides by their sum.
  if (k1 == 0 && k2 == 0) RefuseData("k(1) = 0, k(2) = 0");

  TReportFile& out = BeginReport();
  out.Line("Константы скорости, м куб./(кмоль*с)");
  out << "k(1) =" << Fixed(k1, 6, 3) << "  k(2) =" << Fixed(k2, 6, 3) << Eol;
  out.Line("Концентрации реагентов, кмоль/м куб.:");
  out << "Ca0  =" << Fixed(Ca0, 6, 3) << "  Cb0  =" << Fixed(Cb0, 6, 3) << Eol;
  out << "Объем реактора, м куб. =" << Fixed(V, 6, 3) << Eol;
  out.Line("    Результаты расчета");
  out.Line("   Xa     Ca     Cb     Cr     Cs     W0");

  SetChartOrigin(1);
  ChartPointCount = 0;  // nothing older is drawn if B runs out before the first row
  // The balance is solved from the same start at every conversion.
  const double Start = 1.0;
  double Root = 0;
  RunSucceeded = true;

  const Column xaColumn{"Xa", 7, 3, Bound::Conversion};
  const Column caColumn{"Ca", 7, 3, Bound::Amount}, cbColumn{"Cb", 7, 3, Bound::Amount};
  const Column crColumn{"Cr", 7, 3, Bound::Amount}, csColumn{"Cs", 7, 3, Bound::Amount};
  const Column w0Column{"W0", 9, 5, Bound::Amount};
  struct At {
    Real W0, Xa, Cb, Cs, Ca;
  };
  Optimum<At> best(Ties::LatestWins);
  for (int i = 1; i <= 999; ++i) {
    const Real Xa = Conversion(i);
    CurrentConversion = Xa.value();
    SolveFixedPoint(Balance104, Root, Start, RunSucceeded);
    const Real x = Root;
    const Real Xr = Xa * x;
    const auto [Ca, Cr, Cs, Cb] = OutletOf104(Xa, x, Ca0, Cb0);
    if (!(Cb > 0)) break;
    const Real r1 = k1 * Ca * Cb;
    const Real r2 = k2 * Ca * Cr;
    const Real W0 = V * (r1 + r2) / (Ca0 * Xa);
    best.Offer(i, Xr, {W0, Xa, Cb, Cs, Ca});
    if (IsPrintedStep(i, 999)) {
      out << xaColumn(Xa) << caColumn(Ca) << cbColumn(Cb) << crColumn(Cr) << csColumn(Cs) << w0Column(W0)
          << Eol;
      SetCountedChartPoint(ChartIndex(i), Xa, x, Xr);
    }
  }

  const At& at = best.At();
  out << "максимальный выход продукта R: Xr ="
      << Maximum("Xr", "Максимальный выход продукта R (CR/Ca0), Xr", best.Best(), 6, 3, Bound::Fraction)
      << Eol;
  out.Line("При скорости подачи ");
  out << "исходных реагентов          W0opt ="
      << Answer("W0opt", "Скорость подачи реагентов, при которой выход R максимален, W0opt, м3/с", at.W0, 9,
                6, Bound::Amount)
      << Eol;
  out << "и степени конверсии         Xaopt ="
      << Answer("Xaopt", "Степень конверсии A, при которой выход R максимален, Xaopt", at.Xa, 6, 3,
                Bound::Conversion)
      << Eol;
  out.Line("Концентрации остальных продуктов");
  out << "                               Cs ="
      << Answer("Cs", "Концентрация S на выходе при максимальном выходе R, Cs, кмоль/м3", at.Cs, 6, 3,
                Bound::Amount)
      << Eol;
  out << "                               Cb ="
      << Answer("Cb", "Концентрация B на выходе при максимальном выходе R, Cb, кмоль/м3", at.Cb, 6, 3,
                Bound::Amount)
      << Eol;
  out << "                               Ca ="
      << Answer("Ca", "Концентрация A на выходе при максимальном выходе R, Ca, кмоль/м3", at.Ca, 6, 3,
                Bound::Amount)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}
