#include "RunOpt.h"

#include <algorithm>
#include <cstdint>

#include "Cp1251.h"
#include "Errors.h"
#include "Report.h"
#include "Solvers.h"
#include "Sweep.h"

std::int32_t TaskCode = 0;
bool RunSucceeded = false;
double ChartX[kChartSize];
double ChartY1[kChartSize];
double ChartY2[kChartSize];
std::int32_t ChartPointCount = 0;

namespace {

struct CatalogueEntry {
  int code;
  TaskSolver solver;
};

// Tasks whose solver is not there yet are absent: RunTask treats their codes
// like unknown ones.
constexpr CatalogueEntry kCatalogue[] = {
    {101, Task101},
    {102, Task102},
    {103, Task103},
    {104, Task104},
    {105, Task105},
    {106, Task106},
    {107, Task107},
    {108, Task108},
    {109, Task109},
    {110, Task110},
    {111, Task111},
    {112, Task112},
    {113, Task113},
    {114, Task114},
    {115, Task115},
    {116, Task116},
    {117, Task117},
    {118, Task118},
    {119, Task119},
    {120, Task120},
    {121, Task121},
    {122, Task122},
    {123, Task123},
    {124, Task124},
    {125, Task125},
};

int DigitValue(char32_t c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9') v = static_cast<int>(c - '0');
  else if (c >= 'a' && c <= 'f') v = static_cast<int>(c - 'a' + 10);
  else if (c >= 'A' && c <= 'F') v = static_cast<int>(c - 'A' + 10);
  return v >= 0 && v < base ? v : -1;
}

}  // namespace

std::string_view FileNamePart(std::string_view path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::string_view FirstChars(std::string_view utf8, int count) {
  std::size_t pos = 0;
  for (int i = 0; i < count && pos < utf8.size(); ++i) cp1251::NextCodePoint(utf8, pos);
  return utf8.substr(0, pos);
}

void ParseTaskCode(std::string_view name) {
  // Characters 4 to 6 (counting from 1), fewer when the name is short.
  char32_t chars[3];
  int n = 0;
  std::size_t pos = 0;
  for (int index = 1; pos < name.size() && index <= 6; ++index) {
    const char32_t c = cp1251::NextCodePoint(name, pos);
    if (index >= 4) chars[n++] = c;
  }
  // The run-time integer conversion, stopping at the first character that is
  // not a digit and keeping what it has read.
  int i = 0;
  while (i < n && chars[i] == ' ') ++i;
  bool negative = false;
  if (i < n && (chars[i] == '+' || chars[i] == '-')) negative = chars[i++] == '-';
  int base = 10;
  if (i < n && (chars[i] == '$' || chars[i] == 'x' || chars[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < n && chars[i] == '0' && (chars[i + 1] == 'x' || chars[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  std::int32_t value = 0;
  for (; i < n; ++i) {
    const int digit = DigitValue(chars[i], base);
    if (digit < 0) break;
    value = value * base + digit;
  }
  TaskCode = negative ? -value : value;
}

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
  try {
    solver();
  } catch (...) {
    ReportFile.Abandon();  // an unfinished report is never written
    throw;
  }
  RunSucceeded = true;
}

bool SolverSetsPointCount(int code) {
  switch (code) {
    case 103: case 104: case 115: case 116: case 119:
    case 120: case 122: case 123: case 124:
      return true;
    default:
      return false;
  }
}

int PrepareChartPointCount(int code) {
  if (!SolverSetsPointCount(code)) ChartPointCount = 20;
  // The chart reads the low 16 bits; anything past the buffers is not drawn.
  const int count = static_cast<int>(static_cast<std::uint32_t>(ChartPointCount) & 0xFFFFu);
  return std::min(count, kChartSize - 1);
}

void RefuseData(const std::string& condition) { throw InvalidDataError(condition); }
