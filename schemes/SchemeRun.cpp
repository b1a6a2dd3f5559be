// The sweep of a scheme and its refined optimum.
//
// Every number here comes from +, -, *, / and sqrt, which IEEE 754 rounds
// the same on every platform; no exp, log or pow, whose last bits differ
// between C libraries. So the native program and the browser edition give
// the same bytes, down to the 17 digits of the chart file.

#include <Eigen/Dense>
#include <algorithm>
#include <boost/math/tools/toms748_solve.hpp>
#include <boost/numeric/odeint/stepper/rosenbrock4.hpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <utility>

#include "base/Errors.h"
#include "base/NumberText.h"
#include "schemes/Scheme.h"
#include "schemes/SchemeReport.h"

namespace schemes {

namespace {

using State = boost::numeric::ublas::vector<double>;
using Matrix = boost::numeric::ublas::matrix<double>;

constexpr int kGridSteps = 999;  // Xa = 0.001 ... 0.999
constexpr double kRelativeTolerance = 1e-8;
constexpr double kAbsoluteTolerance = 1e-10;  // times the largest inlet concentration
// A conversion whose key rate has fallen below this share of the inlet rate
// lies at the reactor's limit: reached only after an endless residence.
constexpr double kRateFloor = 1e-12;
constexpr int kMaxSteps = 200000;

double IntPow(double x, int m) {
  double p = 1;
  for (int i = 0; i < m; ++i) p *= x;
  return p;
}

// Mass action with the values of a run.
struct Kinetics {
  struct Step {
    std::vector<Term> left, right;
    std::vector<int> net;  // per species
    bool reversible;
    double kf, kb;
  };
  int n = 0;
  std::vector<Step> steps;

  double Side(const std::vector<Term>& side, const double* c) const {
    double p = 1;
    for (const Term& t : side) p *= IntPow(c[t.species], t.coefficient);
    return p;
  }
  double Rate(const Step& s, const double* c) const {
    double w = s.kf * Side(s.left, c);
    if (s.reversible) w -= s.kb * Side(s.right, c);
    return w;
  }
  void Rates(const double* c, double* r) const {
    for (int i = 0; i < n; ++i) r[i] = 0;
    for (const Step& s : steps) {
      const double w = Rate(s, c);
      for (int i = 0; i < n; ++i)
        if (s.net[static_cast<std::size_t>(i)] != 0) r[i] += s.net[static_cast<std::size_t>(i)] * w;
    }
  }
  // Adds d r_i / d c_j to jac(i, j) through add(i, j, v); only the species
  // of a side have a derivative, so the work is that of the rates.
  template <class Add>
  void Jacobian(const double* c, Add add) const {
    for (const Step& s : steps) {
      for (int sign = 1; sign >= -1; sign -= 2) {
        const std::vector<Term>& side = sign > 0 ? s.left : s.right;
        const double k = sign > 0 ? s.kf : -s.kb;
        if (sign < 0 && !s.reversible) break;
        for (const Term& d : side) {
          double v = k * d.coefficient * IntPow(c[d.species], d.coefficient - 1);
          for (const Term& t : side)
            if (t.species != d.species) v *= IntPow(c[t.species], t.coefficient);
          for (int i = 0; i < n; ++i) {
            const int nu = s.net[static_cast<std::size_t>(i)];
            if (nu != 0) add(i, d.species, nu * v);
          }
        }
      }
    }
  }
};

double Resolve(const Quantity& q, const std::vector<double>& values) {
  return q.parameter >= 0 ? values[static_cast<std::size_t>(q.parameter)] : q.number;
}

// The conversion of grid step i, as printed: i thousandths.
double GridConversion(int i) { return i / 1000.0; }

struct Problem {
  const Scheme& scheme;
  Kinetics kin;
  std::vector<double> inlet;
  int key, target;
  double keyInlet;
  double inletRate;  // the key's consumption rate at the inlet, > 0
  double timeScale;  // keyInlet / inletRate
  double concentrationScale;
};

double KeyRate(const Problem& p, const double* c) {
  double r = 0;
  for (const Kinetics::Step& s : p.kin.steps)
    if (s.net[static_cast<std::size_t>(p.key)] != 0)
      r += s.net[static_cast<std::size_t>(p.key)] * p.kin.Rate(s, c);
  return r;
}

// Why the key's conversion can go no further at the state c: its consuming
// steps balanced by their reverse (equilibrium), or starved of a co-reagent.
void Classify(const Problem& p, const double* c, SweepOutcome& out) {
  double forward = 0, backward = 0;
  int starved = -1;
  double least = std::numeric_limits<double>::infinity();
  for (const Kinetics::Step& s : p.kin.steps) {
    const int nu = s.net[static_cast<std::size_t>(p.key)];
    if (nu == 0) continue;
    const double f = s.kf * p.kin.Side(s.left, c);
    const double b = s.reversible ? s.kb * p.kin.Side(s.right, c) : 0.0;
    forward += nu < 0 ? f : b;
    backward += nu < 0 ? b : f;
    for (const Term& t : nu < 0 ? s.left : s.right) {
      if (t.species == p.key) continue;
      const double scale = std::max(p.inlet[static_cast<std::size_t>(t.species)], p.concentrationScale);
      const double share = c[t.species] / scale;
      if (share < least) {
        least = share;
        starved = t.species;
      }
    }
  }
  if (starved >= 0 && !(backward > 0.5 * forward)) {
    out.end = SweepEnd::CoReagent;
    out.coReagent = starved;
  } else {
    out.end = SweepEnd::Equilibrium;
  }
}

bool Finite(const double* c, int n) {
  for (int i = 0; i < n; ++i)
    if (!std::isfinite(c[i])) return false;
  return true;
}

// ---- plug flow: dC/dt = r(C) from the inlet ---------------------------------

struct PlugSystem {
  const Kinetics* kin;
  void operator()(const State& x, State& dxdt, double) const { kin->Rates(&x[0], &dxdt[0]); }
};
struct PlugJacobian {
  const Kinetics* kin;
  void operator()(const State& x, Matrix& jac, double, State& dfdt) const {
    jac.clear();
    kin->Jacobian(&x[0], [&](int i, int j, double v) {
      jac(static_cast<std::size_t>(i), static_cast<std::size_t>(j)) += v;
    });
    for (std::size_t i = 0; i < dfdt.size(); ++i) dfdt[i] = 0;
  }
};

// An accepted step of the integration, kept so that any time within it can
// be computed again by one step from its start.
struct StepRecord {
  double t, dt;
  State x;
};

double ErrorNorm(const State& x, const State& xnew, const State& err, double atol) {
  double e = 0;
  for (std::size_t i = 0; i < x.size(); ++i) {
    const double scale = atol + kRelativeTolerance * std::max(std::fabs(x[i]), std::fabs(xnew[i]));
    e = std::max(e, std::fabs(err[i]) / scale);
  }
  return e;
}

// The factor of the next step from the error of this one, 0.9 / err^(1/4)
// for the fourth-order stepper, bounded to [0.2, 5].
double StepFactor(double err) {
  if (!(err > 0)) return 5;
  if (!std::isfinite(err)) return 0.2;
  return std::min(5.0, std::max(0.2, 0.9 / std::sqrt(std::sqrt(err))));
}

using Tolerance = boost::math::tools::eps_tolerance<double>;

template <class F>
double Root(F f, double a, double b, double fa, double fb) {
  if (fa == 0) return a;
  if (fb == 0) return b;
  std::uintmax_t iterations = 100;
  const auto r = boost::math::tools::toms748_solve(f, a, b, fa, fb, Tolerance(52), iterations);
  return 0.5 * (r.first + r.second);
}

void SweepPlugFlow(const Problem& p, SweepOutcome& out) {
  const int n = p.kin.n;
  const auto system = std::make_pair(PlugSystem{&p.kin}, PlugJacobian{&p.kin});
  boost::numeric::odeint::rosenbrock4<double> stepper;
  State x(static_cast<std::size_t>(n)), xnew(x), xerr(x), dense(x);
  for (int i = 0; i < n; ++i) x[static_cast<std::size_t>(i)] = p.inlet[static_cast<std::size_t>(i)];
  const double atol = kAbsoluteTolerance * p.concentrationScale;
  const std::size_t k = static_cast<std::size_t>(p.key);
  std::vector<StepRecord> records;
  double t = 0;
  double dt = 1e-4 * p.timeScale;
  int next = 1;
  bool stopped = false;
  for (int count = 0; next <= kGridSteps && !stopped; ++count) {
    if (count == kMaxSteps || !(dt > 1e-14 * std::max(t, p.timeScale))) break;
    stepper.do_step(system, x, t, xnew, dt, xerr);
    const double err = Finite(&xnew[0], n) ? ErrorNorm(x, xnew, xerr, atol) : 2.0;
    if (!(err <= 1)) {
      dt *= std::min(0.5, StepFactor(err));
      continue;
    }
    stepper.prepare_dense_output();
    records.push_back({t, dt, x});
    const double reached = 1 - xnew[k] / p.keyInlet;
    while (next <= kGridSteps && GridConversion(next) <= reached) {
      const double wanted = p.keyInlet * (1 - GridConversion(next));
      auto keyLeft = [&](double tau) {
        stepper.calc_state(tau, dense, x, t, xnew, t + dt);
        return dense[k] - wanted;
      };
      const double tau = Root(keyLeft, t, t + dt, x[k] - wanted, xnew[k] - wanted);
      stepper.calc_state(tau, dense, x, t, xnew, t + dt);
      if (!Finite(&dense[0], n) || !(-KeyRate(p, &dense[0]) > kRateFloor * p.inletRate)) {
        stopped = true;
        break;
      }
      GridPoint g;
      g.conversion = GridConversion(next);
      g.time = tau;
      g.c.assign(dense.begin(), dense.end());
      g.c[k] = wanted;
      out.grid.push_back(std::move(g));
      ++next;
    }
    x = xnew;
    t += dt;
    if (!(-KeyRate(p, &x[0]) > kRateFloor * p.inletRate)) break;
    dt *= StepFactor(err);
  }
  if (next <= kGridSteps) Classify(p, &x[0], out);

  // The exact state at time tau: one step from the start of the step that
  // holds it, so that the optimum is as accurate as the steps themselves.
  boost::numeric::odeint::rosenbrock4<double> exact;
  auto stateAt = [&](double tau, State& c) {
    auto it = std::upper_bound(records.begin(), records.end(), tau,
                               [](double v, const StepRecord& r) { return v < r.t; });
    if (it != records.begin()) --it;
    if (tau == it->t) {
      c = it->x;
    } else {
      exact.do_step(system, it->x, it->t, c, tau - it->t);
    }
  };
  State c(static_cast<std::size_t>(n));
  std::vector<double> rates(static_cast<std::size_t>(n));
  auto targetRate = [&](double tau) {
    stateAt(tau, c);
    p.kin.Rates(&c[0], rates.data());
    return rates[static_cast<std::size_t>(p.target)];
  };
  out.slope = [&](std::size_t i) {
    p.kin.Rates(out.grid[i].c.data(), rates.data());
    return rates[static_cast<std::size_t>(p.target)];
  };
  out.refine = [&](std::size_t a, std::size_t b, double fa, double fb) {
    const double tau = Root(targetRate, out.grid[a].time, out.grid[b].time, fa, fb);
    stateAt(tau, c);
    GridPoint g;
    g.time = tau;
    g.c.assign(c.begin(), c.end());
    g.conversion = 1 - g.c[k] / p.keyInlet;
    return g;
  };
  FindOptimum(p.keyInlet, p.inlet[static_cast<std::size_t>(p.target)], p.target, out);
}

// ---- stirred tank: C0 - C + t r(C) = 0 along the sweep ----------------------

// The unknowns are the concentrations and the residence time; the last
// equation fixes the key's concentration at the conversion x.
struct TankSolver {
  const Problem& p;
  int n;
  Eigen::VectorXd F, rates, step;
  Eigen::MatrixXd J;
  Eigen::PartialPivLU<Eigen::MatrixXd> lu;

  explicit TankSolver(const Problem& problem)
      : p(problem), n(problem.kin.n), F(n + 1), rates(n), step(n + 1), J(n + 1, n + 1), lu(n + 1) {}

  void Evaluate(const Eigen::VectorXd& z, double x) {
    const double t = z[n];
    p.kin.Rates(z.data(), rates.data());
    J.setZero();
    p.kin.Jacobian(z.data(), [&](int i, int j, double v) { J(i, j) += t * v; });
    for (int i = 0; i < n; ++i) {
      F[i] = p.inlet[static_cast<std::size_t>(i)] - z[i] + t * rates[i];
      J(i, i) -= 1;
      J(i, n) = rates[i];
    }
    F[n] = z[p.key] - p.keyInlet * (1 - x);
    J(n, p.key) = 1;
    lu.compute(J);
  }

  // Newton from the guess z; true when it converged to a tank the sweep may
  // hold (finite, a positive time, no concentration below zero). Newton
  // converges quadratically, so once a correction is below 1e-9 of its
  // value the one applied leaves an error of the order of its square; the
  // factors of that last Jacobian serve for the tangent.
  bool Solve(Eigen::VectorXd& z, double x) {
    const double cTol = 1e-9 * p.concentrationScale;
    for (int iteration = 0; iteration < 40; ++iteration) {
      Evaluate(z, x);
      step = lu.solve(F);
      z -= step;
      if (!z.allFinite()) return false;
      bool small = std::fabs(step[n]) <= 1e-9 * std::fabs(z[n]);
      for (int i = 0; i < n && small; ++i) small = std::fabs(step[i]) <= cTol;
      if (small) {
        if (!(z[n] > 0)) return false;
        for (int i = 0; i < n; ++i)
          if (z[i] < -1e-9 * p.concentrationScale) return false;
        return true;
      }
    }
    return false;
  }

  // dz/dx at the solution last evaluated.
  Eigen::VectorXd Tangent() {
    Eigen::VectorXd e = Eigen::VectorXd::Zero(n + 1);
    e[n] = -p.keyInlet;
    return lu.solve(e);
  }
};

void SweepStirredTank(const Problem& p, SweepOutcome& out) {
  const int n = p.kin.n;
  TankSolver solver(p);
  Eigen::VectorXd z(n + 1);
  for (int i = 0; i < n; ++i) z[i] = p.inlet[static_cast<std::size_t>(i)];
  z[n] = 0;
  solver.Evaluate(z, 0);
  Eigen::VectorXd tangent = solver.Tangent();
  std::vector<Eigen::VectorXd> tangents;
  double x = 0;
  int next = 1;
  for (; next <= kGridSteps; ++next) {
    const double goal = GridConversion(next);
    // Continuation: from the last tank along its tangent, in smaller pieces
    // where Newton does not take the whole step.
    bool ok = false;
    for (int pieces = 1; pieces <= 64 && !ok; pieces *= 4) {
      Eigen::VectorXd zz = z, tt = tangent;
      double xx = x;
      ok = true;
      for (int piece = 1; piece <= pieces && ok; ++piece) {
        const double to = piece == pieces ? goal : x + (goal - x) * piece / pieces;
        Eigen::VectorXd guess = zz + (to - xx) * tt;
        ok = solver.Solve(guess, to);
        if (ok) {
          zz = guess;
          tt = solver.Tangent();
          xx = to;
        }
      }
      if (ok) {
        z = zz;
        tangent = tt;
      }
    }
    if (!ok || !(-KeyRate(p, z.data()) > kRateFloor * p.inletRate)) break;
    x = goal;
    GridPoint g;
    g.conversion = goal;
    g.time = z[n];
    g.c.assign(z.data(), z.data() + n);
    g.c[static_cast<std::size_t>(p.key)] = p.keyInlet * (1 - goal);
    out.grid.push_back(std::move(g));
    tangents.push_back(tangent);
  }
  if (next <= kGridSteps) Classify(p, z.data(), out);

  auto solveAt = [&](std::size_t from, double to, Eigen::VectorXd& zz) {
    const GridPoint& g = out.grid[from];
    zz.resize(n + 1);
    for (int i = 0; i < n; ++i) zz[i] = g.c[static_cast<std::size_t>(i)];
    zz[n] = g.time;
    zz += (to - g.conversion) * tangents[from];
    return solver.Solve(zz, to);
  };
  const int target = p.target;
  out.slope = [&](std::size_t i) { return tangents[i][target]; };
  Eigen::VectorXd zz;
  out.refine = [&](std::size_t a, std::size_t b, double fa, double fb) {
    auto slope = [&](double to) {
      if (!solveAt(a, to, zz)) throw NumericalError("не удалось уточнить максимум выхода");
      return solver.Tangent()[target];
    };
    const double best = Root(slope, out.grid[a].conversion, out.grid[b].conversion, fa, fb);
    GridPoint g;
    if (!solveAt(a, best, zz)) throw NumericalError("не удалось уточнить максимум выхода");
    g.conversion = best;
    g.time = zz[n];
    g.c.assign(zz.data(), zz.data() + n);
    return g;
  };
  FindOptimum(p.keyInlet, p.inlet[static_cast<std::size_t>(p.target)], p.target, out);
}

}  // namespace

void FindOptimum(double keyInlet, double targetInlet, int target, SweepOutcome& out) {
  const std::size_t count = out.grid.size();
  if (count == 0) return;
  auto yield = [&](const GridPoint& g) {
    return (g.c[static_cast<std::size_t>(target)] - targetInlet) / keyInlet;
  };
  std::size_t best = 0;
  for (std::size_t i = 1; i < count; ++i)
    if (yield(out.grid[i]) > yield(out.grid[best])) best = i;
  const double here = out.slope(best);
  out.optimum = out.grid[best];
  out.atEnd = false;
  if (here == 0) return;
  if (here < 0 && best > 0) {
    const double before = out.slope(best - 1);
    if (before > 0) {
      out.optimum = out.refine(best - 1, best, before, here);
      return;
    }
  }
  if (here > 0 && best + 1 < count) {
    const double after = out.slope(best + 1);
    if (after < 0) {
      out.optimum = out.refine(best, best + 1, here, after);
      return;
    }
  }
  out.atEnd = (here < 0 && best == 0) || (here > 0 && best + 1 == count);
}

SchemeRun RunScheme(const Scheme& scheme, const std::vector<double>& values) {
  if (values.size() != scheme.parameters.size())
    throw std::invalid_argument("задача " + scheme.fileName + " принимает " +
                                std::to_string(scheme.parameters.size()) + " значений, дано " +
                                std::to_string(values.size()));
  for (std::size_t j = 0; j < values.size(); ++j) {
    const double v = values[j];
    if (std::isfinite(v) && !(v < 0)) continue;
    const std::string what = std::isfinite(v) ? "отрицательное значение" : "не число";
    throw InvalidDataError(what + " в поле «" + scheme.parameters[j].label + "»: " + ShortestText(v));
  }
  Problem p{scheme, {}, {}, scheme.key, scheme.target, 0, 0, 0, 0};
  p.kin.n = static_cast<int>(scheme.species.size());
  for (const Reaction& r : scheme.reactions) {
    Kinetics::Step s;
    s.left = r.left;
    s.right = r.right;
    s.reversible = r.reversible;
    s.kf = Resolve(r.forward, values);
    s.kb = r.reversible ? Resolve(r.backward, values) : 0.0;
    s.net.assign(scheme.species.size(), 0);
    for (const Term& t : r.left) s.net[static_cast<std::size_t>(t.species)] -= t.coefficient;
    for (const Term& t : r.right) s.net[static_cast<std::size_t>(t.species)] += t.coefficient;
    p.kin.steps.push_back(s);
  }
  for (const Quantity& q : scheme.inlet) p.inlet.push_back(Resolve(q, values));
  p.keyInlet = p.inlet[static_cast<std::size_t>(p.key)];
  const std::string& keyName = scheme.species[static_cast<std::size_t>(p.key)];
  if (!(p.keyInlet > 0))
    throw InvalidDataError("концентрация ключевого реагента " + keyName + " на входе равна нулю");
  p.concentrationScale = *std::max_element(p.inlet.begin(), p.inlet.end());
  p.inletRate = -KeyRate(p, p.inlet.data());
  if (!std::isfinite(p.inletRate))
    throw InvalidDataError("скорость расходования " + keyName + " на входе не конечна");
  if (!(p.inletRate > 0))
    throw InvalidDataError("при составе на входе реагент " + keyName +
                           " не расходуется (константы его реакций или концентрации сореагентов равны нулю)");
  p.timeScale = p.keyInlet / p.inletRate;

  SweepOutcome out;
  if (scheme.reactor == Reactor::PlugFlow)
    SweepPlugFlow(p, out);
  else
    SweepStirredTank(p, out);
  std::vector<double> rates(scheme.species.size());
  p.kin.Rates(p.inlet.data(), rates.data());
  out.startSelectivity = rates[static_cast<std::size_t>(p.target)] / p.inletRate;
  const double flow = scheme.flow == Flow::None ? 0.0 : Resolve(scheme.flowValue, values);
  return MakeRun(scheme, values, p.inlet, flow, out);
}

}  // namespace schemes
