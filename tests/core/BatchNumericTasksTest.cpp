// The delivered dialog defaults of the tasks that use the numerical routines
// give a textbook result: the batch runs them and the optimum lies inside the
// sweep.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "TestSupport.h"
#include "base/Cp1251.h"

namespace {

class BatchDefaults : public InTempDir {};

struct Expectation {
  int code;
  const char* optimumLine;  // the line with the conversion at the optimum
  double lastConversion;
};

TEST_F(BatchDefaults, EveryTaskRunsWithItsDefaultsToAnOptimumInsideTheSweep) {
  WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  const Expectation tasks[] = {
      {103, "При степени конверсии Xa =", 0.7},
      {104, "и степени конверсии         Xaopt =", 0.999},
      {113, "наблюдается при степени конверсии              Xa =", 0.999},
      {114, "наблюдается при степени конверсии              Xa =", 0.999},
      {118, "Оптимальная степень конверсии вещества А, Xa = ", 0.999},
      {120, "наблюдается при степени конверсии XA =", 0.99},
      {121, "наблюдается при степени конверсии         Xa =", 0.999},
      {123, "наблюдается при степени конверсии         Xa =", 0.999},
      {124, "наблюдается при степени конверсии         Xa =", 0.999},
      {125, "Оптимальная степень конверсии вещества А, Xa = ", 0.999},
  };
  for (const Expectation& task : tasks) {
    std::remove("opt.out");
    const BatchOutcome run = RunBatch(std::to_string(task.code));
    ASSERT_EQ(run.status, 0) << task.code << ": " << run.err;
    const std::string report = cp1251::ToUtf8(ReadFile("opt.out"));
    const std::size_t at = report.find(task.optimumLine);
    ASSERT_NE(at, std::string::npos) << task.code << "\n" << report;
    const double xa = std::atof(report.c_str() + at + std::string(task.optimumLine).size());
    EXPECT_GT(xa, 0.05) << task.code;
    EXPECT_LT(xa, task.lastConversion) << task.code;
  }
}

}  // namespace
