#pragma once
// The dispatcher and the shared state of a run: the success flag, the task
// data read for the current task code and the solver run. The table of tasks
// and the chart buffers are in their own headers, included here for every
// caller of a run.

#include <cstdio>
#include <string>
#include <string_view>

#include "base/TaskIdentity.h"
#include "solvers/Chart.h"
#include "solvers/TaskTable.h"

// 1 when the last RunTask ran a solver; the numerical routines also use it as
// their success flag during a run.
extern bool RunSucceeded;

// Parses the code of `name`, runs its solver and sets RunSucceeded. For a code
// without a solver nothing is written and RunSucceeded becomes 0. Errors of the
// solver (InOutError, InvalidDataError, NumericalError) pass through, and an
// unfinished report is never written.
void RunTask(std::string_view name);
// The same for the TaskCode already set.
void RunCurrentTask();

// Reads the block of TaskCode from "DataFile.dat" (ReadFromFile), a missing
// block being an error for a task of the table.
void ReadTaskData();
void ReadTaskData(std::FILE* file);
void ReadTaskData(const std::string& bytes);
