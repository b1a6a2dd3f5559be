#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include "RunOpt.h"
#include "Sweep.h"
#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/WholeFile.h"

TReportFile ReportFile;

std::size_t FormatFixed(char* buf, std::size_t size, Fixed f) {
  // The shortest correct rounding of the stored binary value, as printf's
  // "%w.df" gives it: exact halves go to the even digit.
  char body[kFixedBufferSize];
  const int d = std::clamp(f.decimals, 0, 20);
  const std::size_t n = FixedDigits(body, sizeof body, f.value, d);
  const std::size_t width = static_cast<std::size_t>(std::clamp(f.width, 0, 255));
  const std::size_t pad = width > n ? width - n : 0;
  const std::size_t total = std::min(pad + n, size - 1);
  const std::size_t padUsed = std::min(pad, total);
  std::memset(buf, ' ', padUsed);
  std::memcpy(buf + padUsed, body, total - padUsed);
  buf[total] = '\0';
  return total;
}

std::string FormatFixed(double v, int w, int d) {
  char buf[kFixedBufferSize];
  const std::size_t n = FormatFixed(buf, sizeof buf, Fixed(v, w, d));
  return std::string(buf, n);
}

TReportFile::TReportFile() {
  // Room for any report, so that runs do not allocate.
  bytes_.reserve(1 << 16);
}

void TReportFile::Rewrite(const char* name) {
  name_ = name;
  bytes_.clear();
  open_ = true;
  lineStart_ = 0;
  nonFinite_ = {};
  CurrentSweepStep = 0;
}

TReportFile& TReportFile::operator<<(const char* text) {
  if (!open_) throw IoError(103);  // file not open
  const std::string_view utf8(text);
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const int b = cp1251::FromCodePoint(cp1251::NextCodePoint(utf8, pos));
    if (b < 0) throw std::logic_error("report text outside Windows-1251");
    bytes_.push_back(static_cast<char>(b));
  }
  return *this;
}

TReportFile& TReportFile::operator<<(Fixed number) {
  if (!open_) throw IoError(103);
  char buf[kFixedBufferSize];
  const std::size_t begin = bytes_.size();
  bytes_.append(buf, FormatFixed(buf, sizeof buf, number));
  if (!std::isfinite(number.value) && !nonFinite_.seen) {
    const std::size_t firstChar = bytes_.find_first_not_of(' ', begin);
    nonFinite_ = {true, lineStart_, firstChar, bytes_.size(), CurrentSweepStep};
  }
  return *this;
}

TReportFile& TReportFile::operator<<(EndOfLine) {
  if (!open_) throw IoError(103);
  bytes_.append("\r\n", 2);
  lineStart_ = bytes_.size();
  return *this;
}

void TReportFile::Close() {
  if (!open_) throw IoError(103);
  open_ = false;
  CheckFinite();
  if (inMemory_) return;
  ReplaceWholeFile(name_.c_str(), bytes_.data(), bytes_.size());
}

namespace {

bool IsBlank(char c) { return c == ' '; }

// A table row holds numbers only; a heading or a labelled line starts with a
// word.
bool StartsWithNumber(std::string_view line) {
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const char c = line[first];
  return (c >= '0' && c <= '9') || c == '-' || c == '.';
}

bool OnlyNumbers(std::string_view text) {
  for (char c : text)
    if (!IsBlank(c) && !(c >= '0' && c <= '9') && c != '-' && c != '.') return false;
  return true;
}

// The words of a heading line whose middle lies in columns [from, to).
void AppendWordsAbove(std::string_view heading, std::size_t from, std::size_t to, std::string& name) {
  std::size_t i = 0;
  while (i < heading.size()) {
    while (i < heading.size() && IsBlank(heading[i])) ++i;
    const std::size_t begin = i;
    while (i < heading.size() && !IsBlank(heading[i])) ++i;
    if (i == begin) break;
    const std::size_t middle = (begin + i - 1) / 2;
    if (middle >= from && middle < to) {
      if (!name.empty()) name += ' ';
      name.append(heading.substr(begin, i - begin));
    }
  }
}

}  // namespace

void TReportFile::CheckFinite() const {
  if (nonFinite_.seen) RefuseData(NonFiniteNumber());
}

// Names the number that is not finite: by the label before it, or in a table
// row by the column heading above it and the conversion of the step.
std::string TReportFile::NonFiniteNumber() const {
  const std::string_view all(bytes_);
  const std::size_t lineEnd = all.find("\r\n", nonFinite_.line);
  const std::string_view line = all.substr(nonFinite_.line, lineEnd - nonFinite_.line);
  const std::size_t begin = nonFinite_.begin - nonFinite_.line;
  const std::size_t end = nonFinite_.end - nonFinite_.line;
  const std::string_view before = line.substr(0, begin);
  std::string name;
  bool row = OnlyNumbers(before);
  if (!row) {
    // The label's last part: "...,  CRmax =" names CRmax.
    std::size_t last = before.find_last_not_of(" =");
    std::string_view label = before.substr(0, last == std::string_view::npos ? 0 : last + 1);
    const std::size_t gap = label.rfind("  ");
    if (gap != std::string_view::npos) label = label.substr(gap + 2);
    // A symbol such as Xr or CRmax at its end is name enough.
    const std::size_t space = label.rfind(' ');
    const std::string_view symbol = label.substr(space == std::string_view::npos ? 0 : space + 1);
    bool ascii = !symbol.empty(), letter = false;
    for (char c : symbol) {
      ascii = ascii && static_cast<unsigned char>(c) < 0x80;
      letter = letter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    }
    if (ascii && letter) label = symbol;
    name = cp1251::ToUtf8(std::string(label));
  } else {
    // The column starts where the number before it ends.
    const std::size_t previous = before.find_last_not_of(' ');
    const std::size_t from = previous == std::string_view::npos ? 0 : previous + 1;
    // The heading: up to two word lines just above the table, without the
    // line "Результаты расчета".
    std::string_view headings[2];
    int found = 0;
    std::size_t pos = nonFinite_.line;
    while (pos >= 2 && found < 2) {
      const std::size_t prevEnd = pos - 2;
      const std::size_t prevStart = prevEnd == 0 ? 0 : all.rfind("\r\n", prevEnd - 1);
      const std::size_t startAt = prevStart == std::string_view::npos || prevEnd == 0 ? 0 : prevStart + 2;
      const std::string_view previousLine = all.substr(startAt, prevEnd - startAt);
      pos = startAt;
      if (StartsWithNumber(previousLine)) {
        if (found > 0) break;
        continue;
      }
      if (cp1251::ToUtf8(std::string(previousLine)).find("Результаты расчета") != std::string::npos) break;
      headings[found++] = previousLine;
    }
    for (int h = found - 1; h >= 0; --h) AppendWordsAbove(headings[h], from, end, name);
    name = cp1251::ToUtf8(name);
    if (name.empty()) name = "значение в таблице";
  }
  if (name.empty()) name = "результат";
  std::string text = name + " не является конечным числом";
  if (row && nonFinite_.step > 0) text += " при Xa =" + FormatFixed(Conversion(nonFinite_.step), 6, 3);
  return text;
}

void TReportFile::Abandon() {
  open_ = false;
  bytes_.clear();
}

TReportFile& BeginReport() {
  ReportFile.Rewrite(kReportFileName);
  ReportFile.Line("Исходные данные");
  return ReportFile;
}

void EndReport() {
  ReportFile.CheckFinite();
  // The points the chart will draw of this run; earlier runs' points were
  // checked when they were made.
  const int last = ChartPointsToDraw(TaskCode);
  for (int k = 0; k <= last; ++k) {
    const char* what = !std::isfinite(ChartX[k])    ? "степень конверсии на графике"
                       : !std::isfinite(ChartY1[k]) ? "селективность на графике"
                       : !std::isfinite(ChartY2[k]) ? "выход на графике"
                                                    : nullptr;
    if (!what) continue;
    std::string text = std::string(what) + " не является конечным числом";
    if (std::isfinite(ChartX[k])) text += " при Xa =" + FormatFixed(ChartX[k], 6, 3);
    RefuseData(text);
  }
  ReportFile.Close();
}
