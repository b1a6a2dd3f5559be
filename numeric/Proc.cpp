#include "Proc.h"

#include <cmath>
#include <cstdint>
#include <random>

#include "base/Errors.h"
#include "base/Real.h"

double CurrentConversion = 0;
TVector UnknownVector;
TBounds UnknownBounds[kMaxUnknowns + 1];
TVector ResidualVector;

namespace {

std::mt19937_64 RandomGenerator;

// The tolerance of the fixed-point solver and the golden ratio of the line
// search, as extended constants.
const Extended kFixedPointTolerance = REACTOPT_EXTENDED_CONSTANT(0xa7c5ac471b478423ULL, -80, 1.0E-5L);
const Extended kGoldenRatio = REACTOPT_EXTENDED_CONSTANT(0x9e3779b9486e555fULL, -64, 0.6180339887L);

// Numbers drawn by plain arithmetic on the generator's words, not by the
// standard distributions, whose algorithms differ between standard libraries:
// a uniform number in [0, 1) and a digit 0 to 9.
double UniformFraction() { return static_cast<double>(RandomGenerator() >> 11) * 0x1.0p-53; }
int RandomDigit() { return static_cast<int>(RandomGenerator() % 10); }

}  // namespace

void SolveFixedPoint(TFixedPointEquation F, double& Root, const double& Start, bool& Ok) {
  if (!Ok) return;
  Real xa = Start;
  Real Fa = F(xa.value());
  // One plain substitution gives the second point.
  Real xb = Fa;
  Real Fb = F(xb.value());
  if (xb.value() == Fb.value()) {
    Root = xb.value();
    return;
  }
  int n = 0;  // degenerate ratios met
  int s = 1;
  for (int step = 1; step <= 50; ++step) {
    Real t = (Fa - xa) / (Fb - xb);
    if (t.value() == 1) {
      // The secant through a and b is parallel to x = F(x): move off it,
      // alternately below and above 1.
      ++n;
      s = -s;
      t = 1 + s * Extended(UniformFraction());
      if (n > 20) {
        Ok = false;
        return;
      }
    }
    Root = Real((t * xb - xa) / (t - 1)).value();
    const Real Fr = F(Root);
    const Real RootNow = Root;
    if (Abs(xb - Fb) < Abs(xa - Fa)) {
      xa = xb;
      Fa = Fb;
    }
    xb = RootNow;
    Fb = Fr;
    if (Abs(RootNow - Fr) < kFixedPointTolerance) return;
  }
  Ok = false;
}

void RestartRandomSequence() { RandomGenerator.seed(std::mt19937_64::default_seed); }

void KeepInBounds(TSystemCall& call) {
  TVector& x = *call.X;
  const Real eps = call.eps;
  for (int j = 1; j <= call.n; ++j) {
    if (x[j] < UnknownBounds[j].Lower) {
      const int r = RandomDigit();
      x[j] = Real(UnknownBounds[j].Lower + (r + 3) * eps).value();
    }
    if (x[j] > UnknownBounds[j].Upper) {
      const int r = RandomDigit();
      x[j] = Real(UnknownBounds[j].Upper - (r + 3) * eps).value();
    }
  }
}

namespace {

// S := the sum of the squared residuals; remembers the best point. Returns S.
double SumOfSquares(TSystemCall& call) {
  const TVector& F = *call.F;
  Real S = 0;
  for (int j = 1; j <= call.n; ++j) {
    const Real Fj = F[j];
    S = S + Fj * Fj;
  }
  call.S = S.value();
  if (call.S < call.BestSum) {
    call.BestSum = call.S;
    for (int j = 1; j <= call.n; ++j) call.XBest[j] = (*call.X)[j];
  }
  return call.S;
}

// The sum of squares at x0 + t * d (moved into bounds); 0 if the residuals fail.
double LineObjective(TSystemCall& call, double t) {
  TVector& x = *call.X;
  const Real tt = t;
  for (int i = 1; i <= call.n; ++i) x[i] = Real(call.x0[i] + tt * call.d[i]).value();
  KeepInBounds(call);
  call.Residuals(*call.F, x, *call.Ok);
  if (!*call.Ok) return 0;
  return SumOfSquares(call);
}

}  // namespace

void GoldenSectionSearch(TSystemCall& call, double a, double b, double tol) {
  const Real g = 0.3819660113;  // a double constant
  const Real A = a;
  const Real B = b;
  const Real Tol = tol;
  Real lo = A;
  Real hi = B;
  Real t1 = A + (B - A) * g;
  Real t2 = A + (B - A) * (1 - g);
  Real f1 = LineObjective(call, t1.value());
  if (!*call.Ok) return;
  Real f2 = LineObjective(call, t2.value());
  if (!*call.Ok) return;
  Real L = hi - t1;
  while ((B - A) * Tol < L) {
    if (f2 < f1) {
      L = hi - t1;
      lo = t1;
      t1 = t2;
      t2 = lo + (1 - g) * L;
      f1 = f2;
      f2 = LineObjective(call, t2.value());
    } else {
      L = t2 - lo;
      hi = t2;
      t2 = t1;
      t1 = lo + g * L;
      f2 = f1;
      f1 = LineObjective(call, t1.value());
    }
    if (!*call.Ok) return;
  }
}

namespace {

// The exchange step on pivot k.
void JordanStep(int n, TMatrix& M, int k) {
  if (M[k][k] == 0) {
    int m = k;
    while (m <= n && M[m][k] == 0) ++m;
    // A singular matrix ends the run, never the program.
    if (m > n) throw NumericalError("ранг матрицы = 0");
    for (int j = 1; j <= n; ++j) {
      const double swap = M[k][j];
      M[k][j] = M[m][j];
      M[m][j] = swap;
    }
  }
  const Real p = M[k][k];
  double c[kMaxUnknowns + 1];
  double r[kMaxUnknowns + 1];
  for (int i = 1; i <= n; ++i) c[i] = M[i][k];
  for (int j = 1; j <= n; ++j) r[j] = M[k][j];
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      const Real Mij = M[i][j];
      if (i == k && j == k)
        M[i][j] = Real(1 / p).value();
      else if (i == k)
        M[i][j] = Real(-Mij / p).value();
      else if (j == k)
        M[i][j] = Real(Mij / p).value();
      else
        M[i][j] = Real(Mij - Real(c[i]) * Real(r[j]) / p).value();
    }
  }
}

}  // namespace

void InvertMatrix(int n, TMatrix& M) {
  for (int k = 1; k <= n; ++k) JordanStep(n, M, k);
}

namespace {

// Every call starts its working state afresh in this one instance.
TSystemCall SystemCall;

// Iterations that restart from the best point with a smaller difference step.
bool IsRestart(int it) {
  switch (it) {
    case 7:
    case 13:
    case 17:
    case 23:
    case 27:
    case 31:
    case 37:
    case 47: return true;
    default: return false;
  }
}

}  // namespace

void SolveNonlinearSystem(TResidualFunction Residuals, int n, TVector& F, double eps, TVector& X, bool& Ok) {
  TSystemCall& call = SystemCall;
  call.n = n;
  call.eps = eps;
  call.F = &F;
  call.X = &X;
  call.Ok = &Ok;
  call.Residuals = Residuals;
  call.it = 0;
  call.BestSum = 1.0E37;
  call.h = Real(20 * Real(eps)).value();
  call.PrevSum = 1.0E30;
  call.S = 0;
  for (int j = 0; j < kVectorSize; ++j) call.XBest[j] = 0;

  for (;;) {
    Residuals(F, X, Ok);
    if (!Ok) return;
    const double S = SumOfSquares(call);
    if (call.it > 3 && S > call.PrevSum) {
      // The residual grew: search along the last Newton step.
      GoldenSectionSearch(call, 0.1, 1.618, 0.1);
      if (!Ok) return;
    }
    for (int i = 1; i <= n; ++i) call.rhs[i] = -F[i];
    call.PrevSum = call.S;

    for (int j = 1; j <= n; ++j) {
      const Real xs = X[j];
      const Real dx = Abs(xs) * Real(call.h);
      X[j] = Real(xs + dx).value();
      Residuals(F, X, Ok);
      if (!Ok) return;
      SumOfSquares(call);
      for (int i = 1; i <= n; ++i) call.J[i][j] = Real((Real(F[i]) + Real(call.rhs[i])) / dx).value();
      X[j] = xs.value();
    }

    ++call.it;
    if (IsRestart(call.it)) {
      for (int j = 1; j <= n; ++j) X[j] = call.XBest[j];
      call.h = Real(Real(call.h) * kGoldenRatio).value();
      continue;
    }
    if (call.it == 51) {
      Ok = false;
      return;
    }

    try {
      InvertMatrix(n, call.J);
    } catch (...) {
      Ok = false;
      throw;
    }
    for (int i = 1; i <= n; ++i) {
      Real di = 0;
      for (int j = 1; j <= n; ++j) di = di + Real(call.J[i][j]) * Real(call.rhs[j]);
      call.d[i] = di.value();
      call.x0[i] = X[i];
      X[i] = Real(Real(X[i]) + Real(call.d[i])).value();
    }

    int outside = 0;
    for (int j = 1; j <= n; ++j)
      if (Abs(Real(call.d[j]) / Real(X[j])) > Real(eps)) ++outside;
    if (outside == 0) {
      Ok = true;
      return;
    }
    KeepInBounds(call);
  }
}
