#pragma once
// Task catalogue and dispatcher, and the shared state of a run: the current
// task code, the success flag and the chart buffers.

#include <cstdint>
#include <cstdio>
#include <string>
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

// What the program knows of a task, one row per task code. Every front end
// asks this table; adding a task means adding its row and its solver.
struct TaskEntry {
  int code;
  TaskSolver solver;
  int paramSlots;       // parameter slots P1 ... the data dialog stores
  bool setsPointCount;  // the solver sets ChartPointCount itself
};

// The row of `code`, or nullptr: the one test of whether a code is a task.
const TaskEntry* FindTask(int code);

// Every row, in ascending code order.
struct TaskRows {
  const TaskEntry* first;
  const TaskEntry* last;
  const TaskEntry* begin() const { return first; }
  const TaskEntry* end() const { return last; }
};
TaskRows AllTasks();

// Shorthands for one column of the row of `code`: nullptr, 0 and false
// outside the table.
TaskSolver FindSolver(int code);
int SlotCount(int code);
bool SolverSetsPointCount(int code);

// Why `value` cannot stand in parameter slot j of task `code`, or "" when it
// can: every parameter is a rate constant, a concentration, a feed rate or a
// volume, so it is a finite number and never negative. The field is named as
// the data file labels it (when TaskFieldTable holds that task), else "Pj".
std::string ParameterProblem(int code, int j, double value);

// Reads the block of TaskCode from "DataFile.dat" (ReadFromFile), a missing
// block being an error for a task of the table.
void ReadTaskData();
void ReadTaskData(std::FILE* file);
void ReadTaskData(const std::string& bytes);

// What the chart does before drawing the run of `code`: the count is set to 20
// unless the solver set it. Returns the index of the last point to draw, which
// never exceeds 20.
int PrepareChartPointCount(int code);
// The index of the last point the chart will draw for the run of `code`,
// changing nothing.
int ChartPointsToDraw(int code);
