#pragma once
// Numerical routines for the stirred-tank balances that have no closed form:
// a fixed-point solver for one equation x = F(x) and a Newton solver for small
// nonlinear systems F(x) = 0. The equations are the solvers' own, passed in;
// these routines know no task. Plain procedures over shared, fixed-size state;
// not reentrant.

#include "base/Real.h"

// Vectors of the system solver: slots 0 to 100, of which 1 to n are used.
constexpr int kVectorSize = 101;
// Largest system the solver takes; the Jacobian is a 20 by 20 matrix.
constexpr int kMaxUnknowns = 20;

using TVector = double[kVectorSize];
// Rows and columns 1 to 20 (index 0 unused).
using TMatrix = double[kMaxUnknowns + 1][kMaxUnknowns + 1];

struct TBounds {
  double Lower = 0;
  double Upper = 0;
};

// The conversion at which the equations are evaluated; stored by the calling
// solver before each call.
extern double CurrentConversion;
// Unknowns x[1..n] of the system solver: the start point on entry, the
// solution (or the last iterate) on exit. Kept between calls, so each step of
// a sweep starts from the previous solution.
extern TVector UnknownVector;
// Bounds of unknowns 1 to 20.
extern TBounds UnknownBounds[kMaxUnknowns + 1];
// Residuals F[1..n] of the system being solved.
extern TVector ResidualVector;

// Starts the sequence of the routines' pseudo-random numbers (uniform numbers
// for the fixed-point solver, digits 0 to 9 for KeepInBounds) afresh from a
// fixed seed; every run does, so that the same data always give the same
// report.
void RestartRandomSequence();

// ---- Fixed-point equations -------------------------------------------------

// F(x) of an equation x = F(x), in extended precision, at the solver's data
// and CurrentConversion.
using TFixedPointEquation = Extended (*)(double x);

// Looks for x = F(x) by the secant method on F(x) - x, from Start. Does
// nothing when Ok is false on entry. On success Root holds the fixed point and
// Ok stays true; on failure Ok := false (Root then holds the last estimate, or
// is unchanged when no estimate was made).
void SolveFixedPoint(TFixedPointEquation F, double& Root, const double& Start, bool& Ok);

// ---- Nonlinear systems -----------------------------------------------------

// The residuals F[1..n] of a system at X (and CurrentConversion); Ok := true
// when they could be evaluated.
using TResidualFunction = void (*)(TVector& F, const TVector& X, bool& Ok);

// Solves the system `Residuals` of n unknowns (n at most 20) by Newton steps
// with a difference Jacobian, bounds, restarts from the best point and a line
// search. eps is the relative tolerance on each unknown. Ok := true on
// convergence, false after 51 iterations without it; X holds the solution or
// the last iterate. A singular Jacobian raises NumericalError with Ok false.
void SolveNonlinearSystem(TResidualFunction Residuals, int n, TVector& F, double eps, TVector& X, bool& Ok);

// The working state of one SolveNonlinearSystem call, shared with its helpers.
struct TSystemCall {
  int n = 0;
  double eps = 0;
  TVector* F = nullptr;
  TVector* X = nullptr;
  bool* Ok = nullptr;
  TResidualFunction Residuals = nullptr;
  TMatrix J{};
  TVector rhs{};
  TVector d{};
  TVector x0{};
  TVector XBest{};
  double BestSum = 1.0E37;
  double PrevSum = 1.0E30;
  double h = 0;
  int it = 0;
  double S = 0;
};

// Moves every unknown that left its bounds 3 to 12 eps back inside them, by a
// pseudo-random number of eps drawn afresh for each correction.
void KeepInBounds(TSystemCall& call);
// Minimises the sum of squares at x0 + t * d (moved into bounds) over t in
// [a, b] by golden sections down to a bracket of (b - a) * tol; the unknowns
// stay at the last trial point.
void GoldenSectionSearch(TSystemCall& call, double a, double b, double tol);

// Inverts M (rows and columns 1 to n) in place by n Jordan exchange steps. A
// zero pivot is first replaced by the next row below with a non-zero entry in
// its column; when there is none, raises NumericalError("ранг матрицы = 0").
void InvertMatrix(int n, TMatrix& M);
