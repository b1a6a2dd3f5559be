// Every solver on arbitrary parameters: a report or a clear error, never a
// crash or a hang. The first byte picks the task, the rest fills P1..P10.

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

namespace {

// Runs in a private scratch directory, in case a run writes "opt.out". The
// report stays in memory: replacing the file safely costs a disk flush per
// run, which would leave the fuzzer few runs in its time.
const bool kInScratch = [] {
  char dir[] = "/tmp/reactopt-fuzz-XXXXXX";
  return mkdtemp(dir) && chdir(dir) == 0;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!kInScratch || size < 1) return 0;
  ReportFile.KeepInMemory(true);
  TaskCode = 101 + data[0] % 25;
  for (int j = 1; j <= 10; ++j) {
    double v = 1.0;
    if (size >= 1 + 8 * static_cast<std::size_t>(j)) std::memcpy(&v, data + 1 + 8 * (j - 1), 8);
    if (!std::isfinite(v)) v = 1.0;
    TaskParams.Slot(j) = v;
  }
  try {
    RunCurrentTask();
  } catch (const std::runtime_error&) {
  }
  return 0;
}
