#include "Proc.h"

#include <cmath>
#include <cstdint>

#include "base/Errors.h"
#include "base/Real.h"
#include "initial_data/TaskData.h"

double CurrentConversion = 0;
double PriorRoot = 0;
TVector UnknownVector;
TBounds UnknownBounds[kMaxUnknowns + 1];
TVector ResidualVector;
std::mt19937_64 RandomGenerator;

namespace {

// The tolerance of the fixed-point solver and the golden ratio of the line
// search, as extended constants.
const Extended kFixedPointTolerance = REACTOPT_EXTENDED_CONSTANT(0xa7c5ac471b478423ULL, -80, 1.0E-5L);
const Extended kGoldenRatio = REACTOPT_EXTENDED_CONSTANT(0x9e3779b9486e555fULL, -64, 0.6180339887L);

// A uniform number in [0, 1).
double UniformFraction() {
  const double u = std::uniform_real_distribution<double>(0.0, 1.0)(RandomGenerator);
  return u < 1.0 ? u : 0.0;  // some library versions can round up to 1
}

}  // namespace

Extended FixedPointFunction(int EquationCode, bool& Ok, double argument) {
  const Real X = CurrentConversion;
  const Real P1 = TaskParams.P1;
  const Real P2 = TaskParams.P2;
  const Real P3 = TaskParams.P3;
  const Real P4 = TaskParams.P4;
  const Real P5 = TaskParams.P5;
  const Real x = argument;
  Ok = true;
  switch (EquationCode) {
    case 104: {
      const Real CA = (1 - X) * P3;
      const Real CR = P3 * X * x;
      const Real CS = (P3 - CA - CR) / 2;
      const Real CB = P4 - CR - CS;
      const Real r1 = P1 * CA * CB;
      const Real r2 = P2 * CA * CR;
      return (r1 - r2) / (r1 + r2);
    }
    case 118: return (P1 * (1 - X) - P2 * (X * x) + P3 * ((1 - x) * X) + x) - x * (P1 * (1 - X));
    case 120: {
      const Real CA = (1 - X) * P4;
      const Real CB = P5 - P4 * X * x;
      return (P2 * CA * CB + P3 * CB) / (P1 * CA + P2 * CA * CB);
    }
    case 1141: return (x + P1 * (1 - X) - P2 * (X * x)) - (P1 * (1 - X) + P3 * (1 - X)) * x;
    case 1142: return (x + P3 * (1 - X)) - (P1 * (1 - X) + P3 * (1 - X)) * x;
    case 1231: return ((1 - X) * P1 - P2 * X * x) / ((1 - X) * P1);
    case 1232: {
      const Real prior = PriorRoot;
      return (P2 * (X * prior) - P3 * (X * x)) / (P1 * (1 - X));
    }
    default: Ok = false; return 0;
  }
}

void SolveFixedPoint(int EquationCode, double& Root, const double& Start, bool& Ok) {
  if (!Ok) return;
  Real xa = Start;
  Real Fa = FixedPointFunction(EquationCode, Ok, xa.value());
  if (!Ok) return;
  // One plain substitution gives the second point.
  Real xb = Fa;
  Real Fb = FixedPointFunction(EquationCode, Ok, xb.value());
  if (!Ok) return;
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
    const Real Fr = FixedPointFunction(EquationCode, Ok, Root);
    if (!Ok) return;
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

void SystemResiduals(int Code, TVector& F, const TVector& X, bool& Ok) {
  if (Code != 103) return;
  const Real Xa = CurrentConversion;
  const Real P1 = TaskParams.P1;
  const Real P2 = TaskParams.P2;
  const Real P3 = TaskParams.P3;
  const Real P4 = TaskParams.P4;
  const Real P5 = TaskParams.P5;
  const Real x1 = X[1];
  const Real x2 = X[2];
  const Real ca = (1 - Xa) * P4;
  const Real cr = P4 * Xa * x1;
  const Real cs = P4 * Xa * x2;
  const Real ct = P4 * Xa * (1 - x1 - x2);
  const Real cb = P5 - cr - 2 * cs - ct;
  const Real r1 = P1 * ca * cb;
  const Real r2 = P2 * cr * cb;
  const Real r3 = P3 * ca * cb;
  F[1] = Real((r1 - r2) / (r1 + r3) - x1).value();
  F[2] = Real(r2 / (r1 + r3) - x2).value();
  Ok = true;
}

void RestartRandomSequence() { RandomGenerator.seed(std::mt19937_64::default_seed); }

void KeepInBounds(TSystemCall& call) {
  std::uniform_int_distribution<int> digit(0, 9);
  TVector& x = *call.X;
  const Real eps = call.eps;
  for (int j = 1; j <= call.n; ++j) {
    if (x[j] < UnknownBounds[j].Lower) {
      const int r = digit(RandomGenerator);
      x[j] = Real(UnknownBounds[j].Lower + (r + 3) * eps).value();
    }
    if (x[j] > UnknownBounds[j].Upper) {
      const int r = digit(RandomGenerator);
      x[j] = Real(UnknownBounds[j].Upper - (r + 3) * eps).value();
    }
  }
}

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

double LineObjective(TSystemCall& call, double t) {
  TVector& x = *call.X;
  const Real tt = t;
  for (int i = 1; i <= call.n; ++i) x[i] = Real(call.x0[i] + tt * call.d[i]).value();
  KeepInBounds(call);
  call.Residuals(call.Code, *call.F, x, *call.Ok);
  if (!*call.Ok) return 0;
  return SumOfSquares(call);
}

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

void SolveNonlinearSystem(int Code, int n, TVector& F, double eps, TVector& X, bool& Ok,
                          TResidualFunction Residuals) {
  TSystemCall& call = SystemCall;
  call.Code = Code;
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
    Residuals(Code, F, X, Ok);
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
      Residuals(Code, F, X, Ok);
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
