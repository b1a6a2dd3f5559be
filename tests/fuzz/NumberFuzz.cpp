// The dialog's number conversion and the report's number format on arbitrary
// text.

#include <cmath>
#include <cstdint>
#include <string>

#include "initial_data/TaskData.h"
#include "solvers/Report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  (void)RunTimeRealValue(text);
  double value = 0;
  if (ParseRealNumber(text, value)) {
    if (!std::isfinite(value)) __builtin_trap();
    (void)OfferedValueText(value);
    const int width = size > 0 ? data[0] % 40 : 6;
    const int decimals = size > 1 ? data[1] % 12 : 3;
    const std::string shown = FormatFixed(value, width, decimals);
    if (shown.size() < static_cast<std::size_t>(width)) __builtin_trap();
  }
  return 0;
}
