// The numerical routines: fixed-point solver with its equations, nonlinear
// system solver with its helpers, matrix inversion.

#include <gtest/gtest.h>

#include <cmath>

#include "TestSupport.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"
#include "solvers/Solvers.h"

namespace {

// ---- Matrix inversion ------------------------------------------------------

TEST(InvertMatrix, TwoByTwoExample) {
  TMatrix M{};
  M[1][1] = 2, M[1][2] = 1;
  M[2][1] = 1, M[2][2] = 3;
  InvertMatrix(2, M);
  EXPECT_NEAR(M[1][1], 0.6, 1e-15);
  EXPECT_NEAR(M[1][2], -0.2, 1e-15);
  EXPECT_NEAR(M[2][1], -0.2, 1e-15);
  EXPECT_NEAR(M[2][2], 0.4, 1e-15);
}

TEST(InvertMatrix, ProductWithTheOriginalIsTheIdentity) {
  const double A[4][4] = {{0, 0, 0, 0}, {0, 4, -2, 1}, {0, 3, 6, -4}, {0, 2, 1, 8}};
  TMatrix M{};
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) M[i][j] = A[i][j];
  InvertMatrix(3, M);
  for (int i = 1; i <= 3; ++i)
    for (int j = 1; j <= 3; ++j) {
      double sum = 0;
      for (int m = 1; m <= 3; ++m) sum += A[i][m] * M[m][j];
      EXPECT_NEAR(sum, i == j ? 1.0 : 0.0, 1e-14) << i << "," << j;
    }
}

TEST(InvertMatrix, AZeroPivotTakesTheNextRowWithoutReorderingTheResult) {
  // Rows (0, 1) and (1, 0) are exchanged into the identity, whose inverse is
  // the identity itself.
  TMatrix M{};
  M[1][2] = 1;
  M[2][1] = 1;
  InvertMatrix(2, M);
  EXPECT_EQ(M[1][1], 1.0);
  EXPECT_EQ(M[1][2], 0.0);
  EXPECT_EQ(M[2][1], 0.0);
  EXPECT_EQ(M[2][2], 1.0);
}

TEST(InvertMatrix, ASingularMatrixEndsTheRunNotTheProgram) {
  TMatrix M{};
  M[1][1] = 1, M[1][2] = 2;
  M[2][1] = 2, M[2][2] = 4;
  testing::internal::CaptureStdout();
  try {
    InvertMatrix(2, M);
    ADD_FAILURE() << "no error";
  } catch (const NumericalError& e) {
    EXPECT_STREQ(e.what(), "ранг матрицы = 0");
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// ---- Fixed-point solver ----------------------------------------------------

class FixedPoint : public ::testing::Test {
 protected:
  void SetUp() override { TaskParams = TTaskParams{}; }
};

TEST_F(FixedPoint, LinearEquationsLandOnTheirClosedFormRoots) {
  TaskParams.P1 = 0.5, TaskParams.P2 = 0.1, TaskParams.P3 = 0.05;
  CurrentConversion = 0.755;
  bool ok = true;
  double root = -7;
  const double start = 1.0;
  SolveFixedPoint(Balance118, root, start, ok);
  EXPECT_TRUE(ok);
  const double X = 0.755;
  EXPECT_NEAR(root, (0.5 * (1 - X) + 0.05 * X) / (0.5 * (1 - X) + 0.15 * X), 1e-14);

  TaskParams.P1 = 2, TaskParams.P2 = 0.5, TaskParams.P3 = 0.2;
  CurrentConversion = 0.3;
  const double startR = 1.0;
  SolveFixedPoint(BalanceR123, root, startR, ok);
  const double phiR = 2 * 0.7 / (2 * 0.7 + 0.5 * 0.3);
  EXPECT_NEAR(root, phiR, 1e-14);
  PriorRoot = root;
  const double startS = 0;
  SolveFixedPoint(BalanceS123, root, startS, ok);
  EXPECT_NEAR(root, 0.5 * 0.3 * phiR / (2 * 0.7 + 0.2 * 0.3), 1e-14);

  TaskParams.P1 = 1, TaskParams.P2 = 1, TaskParams.P3 = 1;
  CurrentConversion = 0.25;
  const double half = 0.5;
  SolveFixedPoint(BalanceR114, root, half, ok);
  EXPECT_NEAR(root, 0.75 / (2 * 0.75 + 0.25), 1e-14);
  EXPECT_TRUE(ok);
}

TEST_F(FixedPoint, NonlinearBalancesConvergeToTheirTolerance) {
  TaskParams.P1 = 1, TaskParams.P2 = 0.5, TaskParams.P3 = 1, TaskParams.P4 = 0.8;
  for (double X : {0.05, 0.5, 0.95}) {
    CurrentConversion = X;
    bool ok = true;
    double root = 0;
    const double start = 1.0;
    SolveFixedPoint(Balance104, root, start, ok);
    EXPECT_TRUE(ok) << X;
    EXPECT_LT(std::fabs(root - static_cast<double>(Balance104(root))), 1e-5) << X;
  }
  TaskParams = TTaskParams{};
  TaskParams.P1 = 0.5, TaskParams.P2 = 1, TaskParams.P3 = 0.05, TaskParams.P4 = 1, TaskParams.P5 = 1.5;
  CurrentConversion = 0.6;
  bool ok = true;
  double root = 0;
  const double start = 1.0;
  SolveFixedPoint(Balance120, root, start, ok);
  EXPECT_TRUE(ok);
  EXPECT_LT(std::fabs(root - static_cast<double>(Balance120(root))), 1e-5);
}

TEST_F(FixedPoint, ASubstitutionThatReproducesItselfReturnsWithoutASecantStep) {
  // 1142 at X = 0.5 with k1 = k3 = 1 has the root 0.5, and its start value
  // reproduces it exactly; a secant step through two such points would be 0/0.
  TaskParams.P1 = 1, TaskParams.P2 = 1, TaskParams.P3 = 1;
  CurrentConversion = 0.5;
  bool ok = true;
  double root = 3;
  const double start = 0.5;
  SolveFixedPoint(BalanceD114, root, start, ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(root, 0.5);
}

TEST_F(FixedPoint, DoesNothingOnceTheFlagIsDown) {
  TaskParams.P1 = 0.5, TaskParams.P2 = 0.1, TaskParams.P3 = 0.05;
  CurrentConversion = 0.5;
  bool ok = false;
  double root = 42;
  const double start = 1.0;
  SolveFixedPoint(Balance118, root, start, ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(root, 42);
}

TEST_F(FixedPoint, AResidualThatNeverChangesFails) {
  // With k(1) = 0, k(2) = 1, k(-2) = -1 equation 118 is F(x) = x - X: every
  // secant is parallel to x = F(x), and the randomised ratios cannot help.
  TaskParams.P1 = 0, TaskParams.P2 = 1, TaskParams.P3 = -1;
  CurrentConversion = 0.5;
  bool ok = true;
  double root = 0;
  const double start = 1.0;
  SolveFixedPoint(Balance118, root, start, ok);
  EXPECT_FALSE(ok);
  EXPECT_TRUE(std::isfinite(root));
}

// ---- Nonlinear system solver -----------------------------------------------

int evaluations = 0;

// 2 x1 + x2 = 3, x1 + 3 x2 = 5.5: x = (0.7, 1.6).
void LinearSystem(TVector& F, const TVector& X, bool& Ok) {
  ++evaluations;
  F[1] = 2 * X[1] + X[2] - 3;
  F[2] = X[1] + 3 * X[2] - 5.5;
  Ok = true;
}

// Two equations that say the same: the Jacobian is singular.
void DependentSystem(TVector& F, const TVector& X, bool& Ok) {
  F[1] = X[1] + X[2] - 2;
  F[2] = 2 * (X[1] + X[2]) - 4;
  Ok = true;
}

// F = x - 1 in one unknown.
void ShiftedLine(TVector& F, const TVector& X, bool& Ok) {
  ++evaluations;
  F[1] = X[1] - 1;
  Ok = true;
}

class NonlinearSystem : public ::testing::Test {
 protected:
  void SetUp() override {
    evaluations = 0;
    TaskParams = TTaskParams{};
    for (TBounds& b : UnknownBounds) b = {-10, 10};
  }
};

TEST_F(NonlinearSystem, ALinearSystemConvergesAfterOneNewtonStep) {
  TVector x{}, F{};
  x[1] = 0.5;
  x[2] = 0.5;
  bool ok = false;
  SolveNonlinearSystem(LinearSystem, 2, F, 1.0E-4, x, ok);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(x[1], 0.7, 1e-12);
  EXPECT_NEAR(x[2], 1.6, 1e-12);
  // Two iterations of n + 1 evaluations: the Newton step, then the check.
  EXPECT_EQ(evaluations, 6);
}

TEST_F(NonlinearSystem, WithoutARootItStopsAfter51IterationsWithTheFlagDown) {
  TVector x{}, F{};
  x[1] = 0.5;
  bool ok = true;
  SolveNonlinearSystem(
      [](TVector& G, const TVector& X, bool& Ok) {
        ++evaluations;
        G[1] = X[1] * X[1] + 1;
        Ok = true;
      },
      1, F, 1.0E-4, x, ok);
  EXPECT_FALSE(ok);
  // 51 iterations of two evaluations each, and seven for every line search.
  EXPECT_GE(evaluations, 51 * 2);
  EXPECT_EQ((evaluations - 51 * 2) % 7, 0);
}

TEST_F(NonlinearSystem, ASingularJacobianFailsWithoutEndingTheProgram) {
  TVector x{}, F{};
  x[1] = 0.5;
  x[2] = 0.5;
  bool ok = true;
  testing::internal::CaptureStdout();
  try {
    SolveNonlinearSystem(DependentSystem, 2, F, 1.0E-4, x, ok);
    ADD_FAILURE() << "no error";
  } catch (const NumericalError& e) {
    EXPECT_STREQ(e.what(), "ранг матрицы = 0");
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_FALSE(ok);
}

TEST_F(NonlinearSystem, SolvesTheBalancesOfTask103) {
  TaskParams.P1 = 1, TaskParams.P2 = 0.5, TaskParams.P3 = 0.2, TaskParams.P4 = 1, TaskParams.P5 = 2;
  UnknownBounds[1] = {0, 1};
  UnknownBounds[2] = {0, 1};
  CurrentConversion = 0.6;
  UnknownVector[1] = 0.5;
  UnknownVector[2] = 0.1;
  bool ok = false;
  SolveNonlinearSystem(Balances103, 2, ResidualVector, 1.0E-4, UnknownVector, ok);
  EXPECT_TRUE(ok);
  // cr = Ca0 * xa * x1 is near its largest value here.
  EXPECT_NEAR(0.6 * UnknownVector[1], 0.308, 0.0005);
  // The balances hold at the solution.
  bool evaluated = false;
  Balances103(ResidualVector, UnknownVector, evaluated);
  EXPECT_TRUE(evaluated);
  EXPECT_LT(std::fabs(ResidualVector[1]), 1e-6);
  EXPECT_LT(std::fabs(ResidualVector[2]), 1e-6);
}

TEST_F(NonlinearSystem, UnknownsOutsideTheirBoundsArePutBack3To12EpsInside) {
  UnknownBounds[1] = {0, 1};
  UnknownBounds[2] = {0, 1};
  UnknownBounds[3] = {0, 1};
  TVector x{}, F{};
  bool ok = true;
  TSystemCall call;
  call.n = 3;
  call.eps = 1.0E-4;
  call.X = &x;
  call.F = &F;
  call.Ok = &ok;
  for (int round = 0; round < 50; ++round) {
    x[1] = -0.25;
    x[2] = 1.5;
    x[3] = 0.5;
    KeepInBounds(call);
    const double below = x[1] / 1.0E-4;
    const double above = (1 - x[2]) / 1.0E-4;
    EXPECT_NEAR(below, std::round(below), 1e-6);
    EXPECT_NEAR(above, std::round(above), 1e-6);
    EXPECT_GE(std::round(below), 3);
    EXPECT_LE(std::round(below), 12);
    EXPECT_GE(std::round(above), 3);
    EXPECT_LE(std::round(above), 12);
    EXPECT_EQ(x[3], 0.5);
  }
}

TEST_F(NonlinearSystem, GoldenSectionSearchMakesSevenEvaluationsAndStaysAtTheLast) {
  TVector x{}, F{};
  bool ok = true;
  TSystemCall call;
  call.n = 1;
  call.eps = 1.0E-4;
  call.X = &x;
  call.F = &F;
  call.Ok = &ok;
  call.Residuals = ShiftedLine;
  call.x0[1] = 0;
  call.d[1] = 1;  // minimum at t = 1
  GoldenSectionSearch(call, 0.1, 1.618, 0.1);
  EXPECT_EQ(evaluations, 7);
  EXPECT_TRUE(ok);
  EXPECT_NEAR(x[1], 1, 0.16);
  EXPECT_EQ(F[1], x[1] - 1);  // the residuals belong to the last trial point
  EXPECT_EQ(call.S, F[1] * F[1]);
  EXPECT_LE(call.BestSum, call.S);
  EXPECT_LT(std::fabs(call.XBest[1] - 1), 0.16);
}

}  // namespace
