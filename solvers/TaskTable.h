#pragma once
// The table of tasks: one row per task code, with its solver and what the
// data dialog and the chart need to know of it.

#include <string>

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
