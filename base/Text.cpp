#include "Text.h"

#include <algorithm>

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<int> SortedUnique(std::vector<int> codes) {
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  return codes;
}

std::string StatementTitle(std::string_view statement) {
  const std::size_t start = statement.find('\n');
  if (start == std::string_view::npos) return "";
  std::string_view line = statement.substr(start + 1);
  line = line.substr(0, line.find('\n'));
  const std::size_t first = line.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return "";
  return std::string(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
}
