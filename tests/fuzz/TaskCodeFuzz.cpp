// Task codes from arbitrary file names.

#include <cstdint>
#include <string_view>

#include "solvers/RunOpt.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name(reinterpret_cast<const char*>(data), size);
  const std::string_view part = FirstChars(FileNamePart(name), 10);
  if (part.size() > name.size()) __builtin_trap();
  ParseTaskCode(part);
  // At most three characters: the code can never leave -4095..4095.
  if (TaskCode < -4095 || TaskCode > 4095) __builtin_trap();
  ParseTaskCode(name);
  return 0;
}
