#include "TaskData.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>
#include <memory>

#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TaskIdentity.h"

TTaskParams TaskParams;
TTaskFieldTable TaskFieldTable;

double& TTaskParams::Slot(int j) {
  static constexpr double TTaskParams::*kSlots[10] = {
      &TTaskParams::P1, &TTaskParams::P2, &TTaskParams::P3, &TTaskParams::P4,
      &TTaskParams::P5, &TTaskParams::P6, &TTaskParams::P7, &TTaskParams::P8,
      &TTaskParams::P9, &TTaskParams::P10};
  return this->*kSlots[j - 1];
}

int SlotCount(int code) {
  static constexpr int kSlots[25] = {
      2, 5, 6, 5, 4, 4, 4, 4, 5, 5,  // 101..110
      2, 5, 3, 3, 4, 4, 4, 4, 3, 5,  // 111..120
      4, 3, 3, 3, 4};                // 121..125
  return code >= 101 && code <= 125 ? kSlots[code - 101] : 0;
}

std::string OfferedValueText(double value) {
  char buf[400];
  std::string text(buf, FixedDigits(buf, sizeof buf, value, 5));
  if (text.size() < 8) text.insert(0, 8 - text.size(), ' ');
  return text;
}

double DefaultSlotValue(int j) {
  const TaskField& field = TaskFieldTable[j];
  const std::string text =
      field.Flag > 0 ? OfferedValueText(field.Values[0]) : "ComboBox" + std::to_string(j);
  return RunTimeRealValue(text);
}

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Length of the longest prefix of `s` in the real-number syntax (sign, digits,
// point, digits, exponent), and whether that prefix is a complete number.
struct RealScan {
  std::size_t fitting = 0;  // characters that fit the form
  bool complete = false;    // the fitting characters form a number
};

RealScan ScanReal(std::string_view s) {
  RealScan scan;
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
  }
  scan.fitting = i;
  scan.complete = digits > 0;
  if (digits > 0 && i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t expDigits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++expDigits;
    scan.fitting = i;
    scan.complete = expDigits > 0;
  }
  return scan;
}

// strtod in the "C" locale, whatever locale the program runs in.
double CStrtod(const std::string& text, bool& overflow) {
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  errno = 0;
  const double v = strtod_l(text.c_str(), nullptr, cLocale);
  overflow = errno == ERANGE && std::isinf(v);
  return v;
}

}  // namespace

bool ParseRealNumber(std::string_view text, double& value) {
  const RealScan scan = ScanReal(text);
  if (!scan.complete || scan.fitting != text.size()) return false;
  bool overflow = false;
  const double v = CStrtod(std::string(text), overflow);
  if (overflow) return false;
  value = v;
  return true;
}

double RunTimeRealValue(std::string_view text) {
  std::size_t start = 0;
  while (start < text.size() && text[start] == ' ') ++start;
  const std::string_view rest = text.substr(start);
  double value = 0;
  if (ParseRealNumber(rest, value)) return value;
  // The partial result: the digits that came before the failure, as one
  // whole number.
  const RealScan scan = ScanReal(rest);
  double whole = 0;
  for (std::size_t i = 0; i < scan.fitting; ++i)
    if (IsDigit(rest[i])) whole = whole * 10 + (rest[i] - '0');
  return whole;
}

namespace {

// The data file as a text file: a line ends with CR LF, CR or LF; Ctrl+Z or
// the end of the file ends the data.
class DataFileText {
 public:
  explicit DataFileText(std::FILE* f) : file_(f) {}

  int Peek() {
    if (pending_ == kNone) pending_ = Fetch();
    return pending_;
  }
  int Get() {
    const int c = Peek();
    if (c != kEnd) pending_ = kNone;
    return c;
  }
  static bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }
  static bool IsBlank(int c) { return c == ' ' || c == '\t'; }

  void SkipBlanksAndLineEnds() {
    while (IsBlank(Peek()) || IsLineEnd(Peek())) Get();
  }
  // Characters up to the next blank, tab, line end or end of data.
  std::string Token(std::size_t maxLength) {
    std::string token;
    while (token.size() < maxLength) {
      const int c = Peek();
      if (c == kEnd || IsBlank(c) || IsLineEnd(c)) break;
      token.push_back(static_cast<char>(Get()));
    }
    return token;
  }
  void SkipRestOfLine() {
    while (Peek() != kEnd && !IsLineEnd(Peek())) Get();
    if (Get() == '\r' && Peek() == '\n') Get();
  }
  static constexpr int kEnd = -1;

 private:
  static constexpr int kNone = -2;
  int Fetch() {
    if (ended_) return kEnd;
    errno = 0;
    const int c = std::getc(file_);
    if (c == EOF) {
      if (std::ferror(file_)) throw IoError(errno != 0 ? errno : 100);
      ended_ = true;
      return kEnd;
    }
    if (c == 26) {  // Ctrl+Z
      ended_ = true;
      return kEnd;
    }
    return c;
  }
  std::FILE* file_;
  int pending_ = kNone;
  bool ended_ = false;
};

std::int32_t ParseFlag(const std::string& token) {
  std::size_t i = 0;
  bool negative = false;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) negative = token[i++] == '-';
  int base = 10;
  if (i < token.size() && (token[i] == '$' || token[i] == 'x' || token[i] == 'X')) {
    base = 16;
    ++i;
  } else if (i + 1 < token.size() && token[i] == '0' && (token[i + 1] == 'x' || token[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == token.size()) throw InvalidNumericInput();
  std::int64_t value = 0;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    int digit = -1;
    if (IsDigit(c)) digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) throw InvalidNumericInput();
    value = value * base + digit;
    if (value > 0x80000000LL) throw InvalidNumericInput();
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) throw InvalidNumericInput();
  return static_cast<std::int32_t>(value);
}

double ReadValue(DataFileText& text) {
  text.SkipBlanksAndLineEnds();
  if (text.Peek() == DataFileText::kEnd) return 0;
  double value = 0;
  if (!ParseRealNumber(text.Token(64), value)) throw InvalidNumericInput();
  return value;
}

}  // namespace

void ReadFromFile(std::FILE* file) {
  DataFileText text(file);
  const int wanted = TaskCode - 100;
  for (int block = 1;; ++block) {
    for (int i = 1; i <= 10; ++i) {
      TaskField record;
      text.SkipBlanksAndLineEnds();
      if (text.Peek() != DataFileText::kEnd) record.Flag = ParseFlag(text.Token(32));
      if (record.Flag > 0 && block == wanted) {
        for (int n = 0; n < 17; ++n) {
          const int c = text.Peek();
          if (c == DataFileText::kEnd || DataFileText::IsLineEnd(c)) break;
          record.LabelText.push_back(static_cast<char>(text.Get()));
        }
        for (double& value : record.Values) value = ReadValue(text);
      }
      text.SkipRestOfLine();
      TaskFieldTable[i] = record;
    }
    if (block >= wanted || block == 30) break;
  }
}

void ReadFromFile() {
  errno = 0;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(kDataFileName, "rb"), std::fclose);
  if (!file) {
    if (errno == ENOENT) throw FileNotFound();
    throw IoError(errno != 0 ? errno : 2);
  }
  ReadFromFile(file.get());
}
