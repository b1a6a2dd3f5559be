#include "Report.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string_view>

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
  lineStart_ = rowConversionBegin_ = rowConversionEnd_ = 0;
  bad_ = {};
  answerCount_ = nameCount_ = 0;
  method_ = Method::Direct;
  optimum_ = {};
}

TReportFile& TReportFile::operator<<(const char* text) {
  if (!open_) throw IoError(kIoFileNotOpen);
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
  return *this << Result{nullptr,       number.value, number.width, number.decimals,
                         Bound::Amount, Role::Cell,   nullptr};
}

namespace {

// Whether printed digits ("-0.012", "1.000") show a value below 0 or above 1.
bool PrintsNegative(std::string_view digits) {
  return digits.size() > 1 && digits[0] == '-' && digits.find_first_of("123456789") != std::string_view::npos;
}
bool PrintsAboveOne(std::string_view digits) {
  if (digits.empty() || digits[0] == '-') return false;
  // The whole part has no leading zero: "0", "1", "7" or more digits.
  const std::size_t point = digits.find('.');
  const std::string_view whole = digits.substr(0, point);
  if (whole.size() > 1 || whole[0] > '1') return true;
  return whole[0] == '1' && point != std::string_view::npos &&
         digits.find_first_of("123456789", point) != std::string_view::npos;
}

}  // namespace

TReportFile& TReportFile::operator<<(Result result) {
  if (!open_) throw IoError(kIoFileNotOpen);
  char buf[kFixedBufferSize];
  const std::size_t begin = bytes_.size();
  bytes_.append(buf, FormatFixed(buf, sizeof buf, Fixed(result.value, result.width, result.decimals)));
  const std::size_t first = bytes_.find_first_not_of(' ', begin);
  const std::size_t digitsBegin = first == std::string::npos ? begin : first;
  const std::string_view digits(bytes_.data() + digitsBegin, bytes_.size() - digitsBegin);
  // Plain numbers are the data, echoed; only what the solver states as a
  // result has a name and a bound.
  const bool finite = std::isfinite(result.value);
  const bool answer = result.role != Role::Cell;
  const bool outside =
      result.name && (PrintsNegative(digits) || (result.bound != Bound::Amount && PrintsAboveOne(digits)));
  if ((!finite || outside) && !bad_.name) {
    bad_ = {result.name ? result.name : "результат", digitsBegin, bytes_.size(), 0, 0, finite, answer};
    if (!answer) {
      bad_.conversionBegin = rowConversionBegin_;
      bad_.conversionEnd = rowConversionEnd_;
    }
  }
  if (result.name && result.bound == Bound::Conversion && !answer) {
    rowConversionBegin_ = digitsBegin;
    rowConversionEnd_ = bytes_.size();
  }
  if (result.name) {
    int n = 0;
    while (n < nameCount_ && std::strcmp(names_[n].name, result.name) != 0) ++n;
    if (n == nameCount_ && nameCount_ < kMaxNames) names_[nameCount_++] = {result.name, result.bound};
  }
  if (answer && answerCount_ < kMaxAnswers)
    answers_[answerCount_++] = {result.name, result.question, lineStart_,
                                digitsBegin, bytes_.size(),   result.role == Role::Maximum};
  return *this;
}

TReportFile& TReportFile::operator<<(EndOfLine) {
  if (!open_) throw IoError(kIoFileNotOpen);
  bytes_.append("\r\n", 2);
  lineStart_ = bytes_.size();
  rowConversionBegin_ = rowConversionEnd_ = 0;
  return *this;
}

void TReportFile::Close() {
  if (!open_) throw IoError(kIoFileNotOpen);
  open_ = false;
  if (bad_.name) throw InvalidDataError(BadResultText());
  if (inMemory_) return;
  ReplaceWholeFile(name_.c_str(), bytes_.data(), bytes_.size());
}

// Names the result by the name the solver gave it, with its printed value,
// the conversion of its row (or of the optimum, for an answer) and, for a
// stepwise integration, the likely cause.
std::string TReportFile::BadResultText() const {
  const std::string name = bad_.name;
  std::string conversion;
  if (bad_.conversionEnd > bad_.conversionBegin)
    conversion =
        " при Xa = " + bytes_.substr(bad_.conversionBegin, bad_.conversionEnd - bad_.conversionBegin);
  else if (bad_.answer && optimum_.step > 0)
    conversion = " при Xa =" + FormatFixed(Real(optimum_.step * kStep), 6, 3);
  if (!bad_.finite) return name + " не является конечным числом" + conversion;
  const std::string digits = cp1251::ToUtf8(bytes_.substr(bad_.begin, bad_.end - bad_.begin));
  std::string text = name + " = " + digits + conversion + (digits[0] == '-' ? " меньше 0" : " больше 1");
  if (method_ == Method::StepwiseIntegration)
    text += ": шаг интегрирования 0.001 слишком велик для этих данных";
  return text;
}

std::vector<OptimumQuantity> TReportFile::Answers() const {
  std::vector<OptimumQuantity> quantities;
  for (int i = 0; i < answerCount_; ++i) {
    const AnswerMark& mark = answers_[i];
    const std::size_t lineEnd = bytes_.find("\r\n", mark.line);
    std::string line = bytes_.substr(mark.line, lineEnd - mark.line);
    line.erase(0, line.find_first_not_of(' '));
    quantities.push_back({mark.label, cp1251::ToUtf8(bytes_.substr(mark.begin, mark.end - mark.begin)),
                          cp1251::ToUtf8(line), mark.maximum, mark.question ? mark.question : ""});
  }
  return quantities;
}

std::string AnswersCsv(const std::vector<OptimumQuantity>& answers) {
  std::string csv = "label,value\n";
  for (const OptimumQuantity& q : answers) csv += CsvField(q.label) + ',' + q.value + '\n';
  return csv;
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) out += c == '"' ? std::string("\"\"") : std::string(1, c);
  return out + "\"";
}

std::vector<std::pair<std::string, Bound>> TReportFile::ResultBounds() const {
  std::vector<std::pair<std::string, Bound>> bounds;
  for (int n = 0; n < nameCount_; ++n) bounds.emplace_back(names_[n].name, names_[n].bound);
  return bounds;
}

void TReportFile::Abandon() {
  open_ = false;
  bytes_.clear();
  answerCount_ = 0;
  optimum_ = {};
}

TReportFile& BeginReport(Method method) {
  ReportFile.Rewrite(kReportFileName);
  ReportFile.SetMethod(method);
  ReportFile.Line("Исходные данные");
  return ReportFile;
}

void EndReport(const SweepOptimum& optimum, const ChartToDraw& chart) {
  ReportFile.SetOptimum(optimum);
  // The points the chart will draw of this run; earlier runs' points were
  // checked when they were made. A bad result of the report is named before
  // any of them, by Close.
  const int last = ReportFile.HoldsBadResult() ? -1 : chart.last;
  for (int k = 0; k <= last; ++k) {
    const char* what = !std::isfinite(chart.x[k])    ? "степень конверсии на графике"
                       : !std::isfinite(chart.y1[k]) ? "селективность на графике"
                       : !std::isfinite(chart.y2[k]) ? "выход на графике"
                                                     : nullptr;
    if (!what) continue;
    std::string text = std::string(what) + " не является конечным числом";
    if (std::isfinite(chart.x[k])) text += " при Xa =" + FormatFixed(chart.x[k], 6, 3);
    throw InvalidDataError(text);
  }
  ReportFile.Close();
}
