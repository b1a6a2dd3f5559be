// Timing of the 25 solvers with the delivered default data, with and without
// writing the report, and of the whole set.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"

namespace {

// Every task's default values, read once, so that a run reads no data file.
std::map<int, std::vector<std::optional<double>>> defaults;

bool Prepare() {
  char dir[] = "/tmp/reactopt-bench-XXXXXX";
  if (!mkdtemp(dir) || chdir(dir) != 0) return false;
  std::filesystem::copy_file(REACTOPT_TASKS_DIR "/DataFile.dat", "DataFile.dat");
  for (const TaskEntry& task : AllTasks()) {
    TaskFieldTable = ReadTaskFields(task.code, nullptr);
    for (int j = 1; j <= SlotCount(task.code); ++j) defaults[task.code].push_back(DefaultSlotValue(j));
  }
  return true;
}

// A run with the delivered defaults as every front end makes one; with
// `writeReport` the report is written to "opt.out" whole.
TaskResult RunTaskWithDefaults(int code, bool writeReport) {
  TaskRequest request;
  request.code = code;
  request.values = defaults[code];
  request.data = DataSource::None;
  request.writeReport = writeReport;
  return RunTaskRequest(request);
}

void Solve(benchmark::State& state, int code, bool writeReport) {
  bool ran = true;
  for (auto _ : state) {
    const TaskResult run = RunTaskWithDefaults(code, writeReport);
    ran = ran && run.ran;
    benchmark::DoNotOptimize(run.chart.data());
  }
  if (!ran) state.SkipWithError("the task did not run");
}

void EveryTask(benchmark::State& state) {
  for (auto _ : state)
    for (const TaskEntry& task : AllTasks()) RunTaskWithDefaults(task.code, true);
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
