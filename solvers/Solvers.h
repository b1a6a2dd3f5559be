#pragma once
// The task solvers: each reads TaskParams, rewrites "opt.out" and fills the
// chart buffers. Pairs that share every formula share one source.

#include "base/Real.h"
#include "numeric/Proc.h"

void Task101();
void Task102();
void Task103();
void Task104();
void Task105();
void Task106();
void Task107();
void Task108();
void Task109();
void Task110();
void Task111();
void Task112();
void Task113();
void Task114();
void Task115();
void Task116();
void Task117();
void Task118();
void Task119();
void Task120();
void Task121();
void Task122();
void Task123();
void Task124();
void Task125();

// The stirred-tank balances that have no closed form, evaluated at TaskParams
// and CurrentConversion as the numerical routines call them: the residuals
// of task 103's two balances, and F(x) of the equations x = F(x) for the
// selectivity to R of tasks 104, 118 and 125, to R and D of task 114, of B's
// consumption in task 120, and to R and S of tasks 123 and 124.
void Balances103(TVector& F, const TVector& X, bool& Ok);
Extended Balance104(double x);
Extended BalanceR114(double x);
Extended BalanceD114(double x);
Extended Balance118(double x);
Extended Balance120(double x);
Extended BalanceR123(double x);
Extended BalanceS123(double x);
// The root for R of task 123's balance just found, which its balance for S
// reads.
extern double PriorRoot;
