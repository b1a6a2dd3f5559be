#pragma once
// Task catalogue and dispatcher, and the shared state of a run: the current
// task code, the success flag and the chart buffers.

#include <cstdint>
#include <string_view>

#include "base/TaskIdentity.h"

// 1 when the last RunTask ran a solver; the numerical routines also use it as
// their success flag during a run.
extern bool RunSucceeded;

// Chart points 0 to 20 of the last run: conversion, selectivity-type and
// yield-type quantity. Never cleared: a run writes only the entries it writes.
constexpr int kChartSize = 21;
extern double ChartX[kChartSize];
extern double ChartY1[kChartSize];
extern double ChartY2[kChartSize];
// Index of the last point to draw, for the tasks whose solver sets it.
extern std::int32_t ChartPointCount;

// Parses the code of `name`, runs its solver and sets RunSucceeded. For a code
// without a solver nothing is written and RunSucceeded becomes 0. Errors of the
// solver (InOutError, InvalidDataError, NumericalError) pass through.
void RunTask(std::string_view name);
// The same for the TaskCode already set.
void RunCurrentTask();

using TaskSolver = void (*)();
// The solver of `code`, or nullptr.
TaskSolver FindSolver(int code);

// True for the tasks whose solver sets ChartPointCount itself.
bool SolverSetsPointCount(int code);

// What the chart does before drawing the run of `code`: the count is set to 20
// unless the solver set it. Returns the index of the last point to draw, which
// never exceeds 20.
int PrepareChartPointCount(int code);
// The index of the last point the chart will draw for the run of `code`,
// changing nothing.
int ChartPointsToDraw(int code);
