#include "NumberText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#if !defined(REACTOPT_NO_FLOAT_TO_CHARS) && \
    (defined(__cpp_lib_to_chars) || (defined(__GLIBCXX__) && __GNUC__ >= 11))
#include <charconv>
#define REACTOPT_FLOAT_TO_CHARS 1
#else
#include <clocale>
#endif

namespace {

#if !defined(REACTOPT_FLOAT_TO_CHARS)
// printf writes the decimal point of LC_NUMERIC; the text must have a '.'.
std::size_t PointAsDot(char* buf, std::size_t n) {
  const char* point = std::localeconv()->decimal_point;
  if (point && point[0] != '\0' && std::strcmp(point, ".") != 0) {
    const std::size_t len = std::strlen(point);
    if (char* at = std::strstr(buf, point)) {
      *at = '.';
      std::memmove(at + 1, at + len, n - static_cast<std::size_t>(at - buf) - len + 1);
      n -= len - 1;
    }
  }
  return n;
}

std::size_t Printed(char* buf, std::size_t size, int n) {
  if (n < 0) n = 0;
  const std::size_t written = std::min(static_cast<std::size_t>(n), size - 1);
  buf[written] = '\0';
  return PointAsDot(buf, written);
}
#endif

}  // namespace

std::size_t FixedDigits(char* buf, std::size_t size, double value, int decimals) {
  decimals = std::clamp(decimals, 0, 20);
#if defined(REACTOPT_FLOAT_TO_CHARS)
  const auto res = std::to_chars(buf, buf + size - 1, value, std::chars_format::fixed, decimals);
  const std::size_t n = res.ec == std::errc() ? static_cast<std::size_t>(res.ptr - buf) : 0;
  buf[n] = '\0';
  return n;
#else
  return Printed(buf, size, std::snprintf(buf, size, "%.*f", decimals, value));
#endif
}

std::size_t General17(char* buf, std::size_t size, double value) {
#if defined(REACTOPT_FLOAT_TO_CHARS)
  const auto res = std::to_chars(buf, buf + size - 1, value, std::chars_format::general, 17);
  const std::size_t n = res.ec == std::errc() ? static_cast<std::size_t>(res.ptr - buf) : 0;
  buf[n] = '\0';
  return n;
#else
  return Printed(buf, size, std::snprintf(buf, size, "%.17g", value));
#endif
}

std::string ShortestText(double value) {
  char buf[64];
#if defined(REACTOPT_FLOAT_TO_CHARS)
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ec == std::errc() ? static_cast<std::size_t>(res.ptr - buf) : 0);
#else
  // The fewest significant digits that give the value back; parsed in the
  // same locale as printed, then given a '.'.
  int n = 0;
  for (int digits = 1; digits <= 17; ++digits) {
    n = std::snprintf(buf, sizeof buf, "%.*g", digits, value);
    if (std::strtod(buf, nullptr) == value) break;
  }
  return std::string(buf, Printed(buf, sizeof buf, n));
#endif
}
