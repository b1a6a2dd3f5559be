// The reversible consecutive scheme A -> R (k(1)), R -> S (k(2)), S -> R
// (k(-2)) in a continuous stirred tank; the selectivity to R is the root of the
// tank's balance, and the maximum yield of R is reported.
//   118: given reactor volume; the feed rate of each conversion.
//   125: given feed rate; the reactor volume of each conversion.

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"

namespace {

// What tells the two tasks apart: the fourth input and the quantity it gives.
struct ReversibleTank {
  const char* givenLabel;
  int givenWidth, givenDecimals;
  const char* heading;
  const char* resultLabel;
  const char* resultSymbol;
  const char* resultQuestion;
  int resultWidth, resultDecimals;
  // Feed rate or volume at conversion X from the given volume or feed rate
  // and k(1).
  Real (*derived)(Real given, Real k1, Real X);
};

const ReversibleTank kTask118 = {
    "Объем реактора, м куб. =",
    4,
    1,
    "   Xa       Xr      W0 ",
    "Скорость подачи, м куб./с,                W0 = ",
    "W0",
    "Скорость подачи, при которой выход R максимален, W0, м3/с",
    7,
    5,
    [](Real V, Real k1, Real X) -> Real { return V * k1 * (1 - X) / X; },
};

const ReversibleTank kTask125 = {
    "Скорость подачи, м куб./с =",
    7,
    4,
    "   Xa       Xr      Vr ",
    "Объем реактора, м куб.,                   Vr = ",
    "Vr",
    "Объем реактора, при котором выход R максимален, Vr, м3",
    4,
    2,
    [](Real v, Real k1, Real X) -> Real { return v / ((1 - X) * k1 / X); },
};

}  // namespace

// The tank's balance for the selectivity to R.
Extended Balance118(double argument) {
  const Real X = CurrentConversion;
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k_2 = TaskParams.P3;
  const Real x = argument;
  return (k1 * (1 - X) - k2 * (X * x) + k_2 * ((1 - x) * X) + x) - x * (k1 * (1 - X));
}

namespace {

void RunReversibleTank(const ReversibleTank& task) {
  const Real k1 = TaskParams.P1;
  const Real k2 = TaskParams.P2;
  const Real k_2 = TaskParams.P3;
  const Real given = TaskParams.P4;

  RunSucceeded = true;
  TReportFile& out = BeginReport();
  out.Line("Константы скорости, 1/с");
  out << "k(1) =" << Fixed(k1, 7, 4) << "  k(2) =" << Fixed(k2, 7, 4) << Eol;
  out << "k(-2)=" << Fixed(k_2, 7, 4) << Eol;
  out << task.givenLabel << Fixed(given, task.givenWidth, task.givenDecimals) << Eol;
  out.Line("    Результаты расчета");
  out.Line(task.heading);

  SetChartOrigin(1.0);
  double Start = 1.0;
  double root = 0;
  struct At {
    Real X, derived;
  };
  const Column xa{"Xa", 7, 3, Bound::Conversion}, xr{"Xr", 7, 3, Bound::Fraction};
  const Column result{task.resultSymbol, 7, 5, Bound::Amount};
  Optimum<At> best;
  for (int i = 1; i <= 999; ++i) {
    const Real X = Conversion(i);
    CurrentConversion = X.value();
    SolveFixedPoint(Balance118, root, Start, RunSucceeded);
    const Real phi = root;
    const Real Xr = X * phi;
    const Real derived = task.derived(given, k1, X);
    Start = phi.value();
    best.Offer(i, Xr, {X, derived});
    if (IsPrintedStep(i, 999)) {
      out << xa(X) << "  " << xr(Xr) << "   " << result(derived) << Eol;
      SetChartPoint(ChartIndex(i), X, phi, Xr);
    }
  }

  out << "Максимальный выход продукта R,            Xr = "
      << Maximum("Xr", "Максимальный выход продукта R, Xr", best.Best(), 5, 3, Bound::Fraction) << Eol;
  out << "Оптимальная степень конверсии вещества А, Xa = "
      << Answer("Xa", "Степень конверсии A, при которой выход R максимален, Xa", best.At().X, 5, 3,
                Bound::Conversion)
      << Eol;
  out << task.resultLabel
      << Answer(task.resultSymbol, task.resultQuestion, best.At().derived, task.resultWidth,
                task.resultDecimals, Bound::Amount)
      << Eol;
  EndReport(best.Where(), ChartOfRun(TaskCode));
}

}  // namespace

void Task118() { RunReversibleTank(kTask118); }

void Task125() {
  RequireNonZero(TaskParams.P1, "k(1)");  // the volume divides by it
  RunReversibleTank(kTask125);
}
