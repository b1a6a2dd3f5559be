// Timing of the 25 solvers with the delivered default data, with and without
// writing the report, and of the whole set.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

namespace {

std::map<int, TTaskParams> defaults;

// Reads every task's defaults once, in a scratch directory that then takes the
// reports.
bool Prepare() {
  char dir[] = "/tmp/reactopt-bench-XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return false;
  std::filesystem::copy_file(REACTOPT_TASKS_DIR "/DataFile.dat", "DataFile.dat");
  for (const TaskEntry& task : AllTasks()) {
    const int code = task.code;
    TaskCode = code;
    ReadTaskData();
    for (int j = 1; j <= SlotCount(code); ++j) defaults[code].Slot(j) = DefaultSlotValue(j);
  }
  return true;
}

void RunTaskWithDefaults(int code) {
  TaskParams = defaults[code];
  TaskCode = code;
  RunCurrentTask();
}

void Solve(benchmark::State& state, int code, bool writeReport) {
  ReportFile.KeepInMemory(!writeReport);
  for (auto _ : state) {
    RunTaskWithDefaults(code);
    benchmark::DoNotOptimize(ChartY2[10]);
  }
  ReportFile.KeepInMemory(false);
  if (!RunSucceeded) state.SkipWithError("no solver for this task");
}

void EveryTask(benchmark::State& state) {
  for (auto _ : state)
    for (const TaskEntry& task : AllTasks()) RunTaskWithDefaults(task.code);
}

}  // namespace

int main(int argc, char** argv) {
  if (!Prepare()) return 1;
  for (const TaskEntry& task : AllTasks()) {
    const int code = task.code;
    benchmark::RegisterBenchmark(("Task" + std::to_string(code) + "/Report").c_str(),
                                 [code](benchmark::State& s) { Solve(s, code, true); });
    benchmark::RegisterBenchmark(("Task" + std::to_string(code) + "/SolveOnly").c_str(),
                                 [code](benchmark::State& s) { Solve(s, code, false); });
  }
  benchmark::RegisterBenchmark("AllTasks/Reports", EveryTask)->Unit(benchmark::kMillisecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
