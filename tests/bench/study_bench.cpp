// Timing of parameter studies of 101 points: every built-in task over its
// first field from half to twice its first offered value, and a task file.

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "solvers/RunOpt.h"
#include "teaching/Study.h"

namespace {

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void Study(benchmark::State& state, teaching::StudyRequest request) {
  const teaching::Study plan = teaching::PlanStudy(request);
  request.low = plan.current / 2;
  request.high = plan.current * 2;
  std::size_t ran = 0;
  for (auto _ : state) {
    const teaching::Study study = teaching::RunStudy(request);
    ran = 0;
    for (const teaching::StudyPoint& p : study.points) ran += p.ran ? 1 : 0;
  }
  state.counters["points_run"] = static_cast<double>(ran);
}

teaching::StudyRequest Request() {
  teaching::StudyRequest request;
  request.parameter = "1";
  request.low = 0.5;
  request.high = 1;
  request.count = 101;
  return request;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string dataFile = Read(REACTOPT_TASKS_DIR "/DataFile.dat");
  for (const TaskEntry& task : AllTasks()) {
    teaching::StudyRequest request = Request();
    request.code = task.code;
    request.dataFile = dataFile;
    benchmark::RegisterBenchmark(("Study101/Task" + std::to_string(task.code)).c_str(),
                                 [request](benchmark::State& s) { Study(s, request); })
        ->Unit(benchmark::kMillisecond);
  }
  for (const char* file : {"dimer-tank.toml", "reversible-side-plug.toml"}) {
    teaching::StudyRequest request = Request();
    request.scheme = Read(std::string(REACTOPT_TASKS_DIR "/") + file);
    request.schemeName = file;
    benchmark::RegisterBenchmark((std::string("Study101/") + file).c_str(), [request](benchmark::State& s) {
      Study(s, request);
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
