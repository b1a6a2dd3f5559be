#include "TaskIdentity.h"

#include "Cp1251.h"

std::int32_t TaskCode = 0;

namespace {

int DigitValue(char32_t c, int base) {
  int v = -1;
  if (c >= '0' && c <= '9')
    v = static_cast<int>(c - '0');
  else if (c >= 'a' && c <= 'f')
    v = static_cast<int>(c - 'a' + 10);
  else if (c >= 'A' && c <= 'F')
    v = static_cast<int>(c - 'A' + 10);
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

std::int32_t TaskCodeOf(std::string_view name) {
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
  return negative ? -value : value;
}

void ParseTaskCode(std::string_view name) { TaskCode = TaskCodeOf(name); }
