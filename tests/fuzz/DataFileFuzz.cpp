// The data-file reader on arbitrary bytes: the first byte picks the task code,
// the rest is the file.

#include <cstdint>
#include <cstdio>

#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  TaskCode = 90 + data[0] % 50;
  std::FILE* f = fmemopen(const_cast<std::uint8_t*>(data + 1), size - 1, "rb");
  if (size == 1) f = std::tmpfile();
  if (!f) return 0;
  try {
    ReadTaskData(f);
  } catch (const InOutError&) {
  }
  std::fclose(f);
  for (int i = 1; i <= 10; ++i)
    if (TaskFieldTable[i].LabelText.size() > 17) __builtin_trap();
  return 0;
}
