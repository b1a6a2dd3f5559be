#pragma once
// What every solver's conversion sweep shares: the working-number type, the
// conversion of a step, the printed steps, the chart points and the optimum.

#include <string>

#include "Report.h"
#include "RunOpt.h"
#include "base/Real.h"

// Xa of step i.
inline Real Conversion(int i) { return i * kStep; }

// A table row is printed at every multiple of 50 and at the last step.
inline bool IsPrintedStep(int i, int lastStep) { return i % 50 == 0 || i == lastStep; }

// Chart index of a printed step: i / 50 rounded to the nearest whole number.
inline int ChartIndex(int i) { return (i + 25) / 50; }

// Point 0 before the sweep: (0, y1, 0 * y1).
inline void SetChartOrigin(Real y1) {
  ChartX[0] = 0;
  ChartY1[0] = y1.value();
  ChartY2[0] = ChartX[0] * ChartY1[0];
}

inline void SetChartPoint(int k, Real x, Real y1, Real y2) {
  ChartX[k] = x.value();
  ChartY1[k] = y1.value();
  ChartY2[k] = y2.value();
}

// Point k, and, for the tasks that count their points, the count.
inline void SetCountedChartPoint(int k, Real x, Real y1, Real y2) {
  SetChartPoint(k, x, y1, y2);
  ChartPointCount = k;
}

// A running integral over the conversion by the trapezoidal rule, as the
// plug-flow tasks integrate: each step adds (previous integrand + this one) /
// 2 * h, evaluated in extended precision and stored as a double. The
// integrand is remembered as `Integrand` stores it (a double, or the extended
// value where the task recomputes it from its parts each step), and h is the
// extended step or, where a task stores it first, the step as a double.
template <class Integrand = Real, class Step = Extended>
class Trapezoid {
 public:
  Trapezoid(Integrand first, Step h) : previous_(first), h_(h) {}
  // Adds the panel that ends at the integrand `f`; returns the integral.
  Real Add(const Integrand& f) {
    value_ = value_ + (previous_ + f) / 2 * h_;
    previous_ = f;
    return value_;
  }

 private:
  Real value_ = 0;
  Integrand previous_;
  Step h_;
};

// The residence time of a plug-flow reactor over the conversion when A is
// consumed at first order: the integral of 1 / ((1 - Xa) k1).
template <class Step = Extended>
class FirstOrderResidenceTime {
 public:
  FirstOrderResidenceTime(Real k1, Step h) : k1_(k1), time_(Real(1 / k1), h) {}
  Real At(Real Xa) { return time_.Add(1 / ((1 - Xa) * k1_)); }

 private:
  Real k1_;
  Trapezoid<Real, Step> time_;
};

// The selectivity of R in a plug-flow reactor for A -> R (k1) followed by
// R -> S (k2), each first order in its reagent (a second reagent cancels):
// the integral of the point selectivity (r1 - r2) / r1 over the conversion,
// divided by the conversion. The integrand starts at 0, not at its value 1 at
// zero conversion, so the first panel is half as large as a start at 1 gives.
template <class Step = Extended>
class ConsecutiveSelectivity {
 public:
  explicit ConsecutiveSelectivity(Step h) : yield_(0, h) {}
  // The selectivity at Xa from the rates' factors: r1 = k1 CA, r2 = k2 CR.
  Real At(Real Xa, Real k1, Real CA, Real k2, Real CR) {
    const Real r1 = k1 * CA;
    const Real r2 = k2 * CR;
    const Real f = (r1 - r2) / r1;
    return yield_.Add(f) / Xa;
  }

 private:
  Trapezoid<Real, Step> yield_;
};

// Optimum search over the sweep. The best value and everything recorded with
// it start at 0 (or at `initial`); by default a step must beat the best
// strictly, so of equal values the earliest wins.
enum class Ties { EarliestWins, LatestWins };

template <class Recorded>
class Optimum {
 public:
  explicit Optimum(Ties ties = Ties::EarliestWins, Recorded initial = {}) : ties_(ties), at_(initial) {}

  // Offers the value of sweep step `step`; returns true when it became the
  // optimum.
  bool Offer(int step, Real offered, const Recorded& at) {
    if (where_.firstStep == 0) where_.firstStep = step;
    where_.lastStep = step;
    const double value = offered.value();
    const bool better = ties_ == Ties::EarliestWins ? value > best_ : value >= best_;
    if (better) {
      best_ = value;
      at_ = at;
      where_.step = step;
    }
    return better;
  }

  double Best() const { return best_; }
  const Recorded& At() const { return at_; }
  // The step of the optimum and the steps the sweep offered.
  const SweepOptimum& Where() const { return where_; }

 private:
  Ties ties_;
  double best_ = 0;
  Recorded at_;
  SweepOptimum where_;
};

// Ends a run whose data make a divisor of the task's formulas zero, before
// anything is written. `condition` names the data, e.g. "k(1) = 0".
[[noreturn]] void RefuseData(const std::string& condition);
// Refuses the run when `value` is zero; `name` is the parameter's report label.
inline void RequireNonZero(Real value, const char* name) {
  if (value.value() == 0) RefuseData(std::string(name) + " = 0");
}
