#include "TaskTable.h"

#include <cmath>
#include <iterator>

#include "Solvers.h"
#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "initial_data/TaskData.h"

namespace {

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
