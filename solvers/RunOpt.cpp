#include "RunOpt.h"

#include "Report.h"
#include "Sweep.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"

bool RunSucceeded = false;

namespace {

// Refuses the run, before anything is computed, when a parameter the task
// reads is not a value any reactor can have.
void RefuseImpossibleParameters(int code) {
  for (int j = 1; j <= SlotCount(code); ++j) {
    const std::string problem = ParameterProblem(code, j, TaskParams.Slot(j));
    if (!problem.empty()) RefuseData(problem);
  }
}

}  // namespace

void ReadTaskData() { ReadFromFile(FindTask(TaskCode) != nullptr); }

void ReadTaskData(std::FILE* file) { ReadFromFile(file, FindTask(TaskCode) != nullptr); }

void ReadTaskData(const std::string& bytes) { ReadFromBytes(bytes, FindTask(TaskCode) != nullptr); }

void RunTask(std::string_view name) {
  ParseTaskCode(name);
  RunCurrentTask();
}

void RunCurrentTask() {
  const TaskSolver solver = FindSolver(TaskCode);
  if (!solver) {
    RunSucceeded = false;
    return;
  }
  try {
    RefuseImpossibleParameters(TaskCode);
    RestartRandomSequence();
    solver();
  } catch (...) {
    ReportFile.Abandon();
    throw;
  }
  RunSucceeded = true;
}

void RefuseData(const std::string& condition) { throw InvalidDataError(condition); }
