#include "RunOpt.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"
#include "base/Errors.h"

bool RunSucceeded = false;
double ChartX[kChartSize];
double ChartY1[kChartSize];
double ChartY2[kChartSize];
std::int32_t ChartPointCount = 0;
int CurrentSweepStep = 0;

namespace {

struct CatalogueEntry {
  int code;
  TaskSolver solver;
};

// Tasks whose solver is not there yet are absent: RunTask treats their codes
// like unknown ones.
constexpr CatalogueEntry kCatalogue[] = {
    {101, Task101}, {102, Task102}, {103, Task103}, {104, Task104}, {105, Task105},
    {106, Task106}, {107, Task107}, {108, Task108}, {109, Task109}, {110, Task110},
    {111, Task111}, {112, Task112}, {113, Task113}, {114, Task114}, {115, Task115},
    {116, Task116}, {117, Task117}, {118, Task118}, {119, Task119}, {120, Task120},
    {121, Task121}, {122, Task122}, {123, Task123}, {124, Task124}, {125, Task125},
};

}  // namespace

TaskSolver FindSolver(int code) {
  for (const CatalogueEntry& entry : kCatalogue)
    if (entry.code == code) return entry.solver;
  return nullptr;
}

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

bool SolverSetsPointCount(int code) {
  switch (code) {
    case 103:
    case 104:
    case 115:
    case 116:
    case 119:
    case 120:
    case 122:
    case 123:
    case 124: return true;
    default: return false;
  }
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
