#include "RunOpt.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "initial_data/TaskData.h"
#include "numeric/Proc.h"

bool RunSucceeded = false;
double ChartX[kChartSize];
double ChartY1[kChartSize];
double ChartY2[kChartSize];
std::int32_t ChartPointCount = 0;

namespace {

// Refuses the run, before anything is computed, when a parameter the task
// reads is not a value any reactor can have.
void RefuseImpossibleParameters(int code) {
  for (int j = 1; j <= SlotCount(code); ++j) {
    const std::string problem = ParameterProblem(code, j, TaskParams.Slot(j));
    if (!problem.empty()) RefuseData(problem);
  }
}

// clang-format off
constexpr TaskEntry kTasks[] = {
    // code  solver   slots  sets its point count
    {101, Task101, 2, false},
    {102, Task102, 5, false},
    {103, Task103, 6, true},
    {104, Task104, 5, true},
    {105, Task105, 4, false},
    {106, Task106, 4, false},
    {107, Task107, 4, false},
    {108, Task108, 4, false},
    {109, Task109, 5, false},
    {110, Task110, 5, false},
    {111, Task111, 2, false},
    {112, Task112, 5, false},
    {113, Task113, 3, false},
    {114, Task114, 3, false},
    {115, Task115, 4, true},
    {116, Task116, 4, true},
    {117, Task117, 4, false},
    {118, Task118, 4, false},
    {119, Task119, 3, true},
    {120, Task120, 5, true},
    {121, Task121, 4, false},
    {122, Task122, 3, true},
    {123, Task123, 3, true},
    {124, Task124, 3, true},
    {125, Task125, 4, false},
};
// clang-format on

}  // namespace

const TaskEntry* FindTask(int code) {
  for (const TaskEntry& entry : kTasks)
    if (entry.code == code) return &entry;
  return nullptr;
}

TaskRows AllTasks() { return {std::begin(kTasks), std::end(kTasks)}; }

TaskSolver FindSolver(int code) {
  const TaskEntry* task = FindTask(code);
  return task ? task->solver : nullptr;
}

int SlotCount(int code) {
  const TaskEntry* task = FindTask(code);
  return task ? task->paramSlots : 0;
}

bool SolverSetsPointCount(int code) {
  const TaskEntry* task = FindTask(code);
  return task && task->setsPointCount;
}

std::string ParameterProblem(int code, int j, double value) {
  if (std::isfinite(value) && !(value < 0)) return "";
  std::string field = "P" + std::to_string(j);
  const TaskField& record = TaskFieldTable[j];
  if (TaskFieldTable.code == code && record.Flag > 0) {
    std::string label = cp1251::ToUtf8(record.LabelText);
    const std::size_t first = label.find_first_not_of(' ');
    if (first != std::string::npos) field = label.substr(first, label.find_last_not_of(' ') - first + 1);
  }
  const std::string what = std::isfinite(value) ? "отрицательное значение" : "не число";
  return what + " в поле «" + field + "»: " + ShortestText(value);
}

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
  struct Chart {
    double x[kChartSize], y1[kChartSize], y2[kChartSize];
    std::int32_t count;
  } saved;
  std::memcpy(saved.x, ChartX, sizeof saved.x);
  std::memcpy(saved.y1, ChartY1, sizeof saved.y1);
  std::memcpy(saved.y2, ChartY2, sizeof saved.y2);
  saved.count = ChartPointCount;
  // An unfinished report is never written; a run refused for its data also
  // leaves the chart as the last good run left it.
  const auto refused = [&saved] {
    ReportFile.Abandon();
    std::memcpy(ChartX, saved.x, sizeof saved.x);
    std::memcpy(ChartY1, saved.y1, sizeof saved.y1);
    std::memcpy(ChartY2, saved.y2, sizeof saved.y2);
    ChartPointCount = saved.count;
  };
  try {
    RefuseImpossibleParameters(TaskCode);
    RestartRandomSequence();
    solver();
  } catch (const InvalidDataError&) {
    refused();
    throw;
  } catch (const NumericalError&) {
    refused();
    throw;
  } catch (...) {
    ReportFile.Abandon();
    throw;
  }
  RunSucceeded = true;
}

int ChartPointsToDraw(int code) {
  if (!SolverSetsPointCount(code)) return kChartSize - 1;
  // The chart reads the low 16 bits; anything past the buffers is not drawn.
  const int count = static_cast<int>(static_cast<std::uint32_t>(ChartPointCount) & 0xFFFFu);
  return std::min(count, kChartSize - 1);
}

int PrepareChartPointCount(int code) {
  if (!SolverSetsPointCount(code)) ChartPointCount = 20;
  return ChartPointsToDraw(code);
}

void RefuseData(const std::string& condition) { throw InvalidDataError(condition); }
