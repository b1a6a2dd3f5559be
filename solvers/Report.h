#pragma once
// The report file "opt.out": Windows-1251 text, lines ended by CR LF, numbers in
// the w:d format. Every operation is checked; a failure raises InOutError.

#include <cstddef>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "base/Real.h"
#include "solvers/Chart.h"

// A number printed as w:d: fixed notation rounded to d decimals, right-aligned
// in at least w characters and never cut.
struct Fixed {
  Fixed(double v, int w, int d) : value(v), width(w), decimals(d) {}
  Fixed(Real v, int w, int d) : value(v.value()), width(w), decimals(d) {}
  Fixed(int v, int w, int d) : value(v), width(w), decimals(d) {}
  // A value computed within the line is rounded to a double first.
  Fixed(const Extended& v, int w, int d) : value(ToDouble(v)), width(w), decimals(d) {}
  double value;
  int width;
  int decimals;
};

// Writes `f` into `buf` (NUL-terminated) and returns its length; a buffer of
// kFixedBufferSize holds any double with up to 20 decimals.
constexpr std::size_t kFixedBufferSize = 400;
std::size_t FormatFixed(char* buf, std::size_t size, Fixed f);
std::string FormatFixed(double v, int w, int d);
inline std::string FormatFixed(Real v, int w, int d) { return FormatFixed(v.value(), w, d); }

// What a printed result can be, so that a run whose results no reactor can
// have is refused. A conversion or another fraction of the feed (a
// selectivity, a yield, a concentration relative to the feed) lies in [0, 1];
// an amount (a concentration, a rate, a volume, a ratio of flows) is never
// negative. Both are judged on the printed digits: what prints as -0.000 or
// 1.000 is within the printed precision.
enum class Bound { Conversion, Fraction, Amount };

// What a printed result is to the reader: a cell of the table, or an answer,
// a result of the summary that states the optimum, which front ends read as
// data by its name; the maximum is the answer the sweep maximised.
enum class Role { Cell, Answer, Maximum };

// A result as the report prints it: its value in the w:d format, the name
// messages give it, its bound and its role; an answer also carries the
// question a student is asked for it.
struct Result {
  const char* name;
  double value;
  int width, decimals;
  Bound bound;
  Role role;
  const char* question;
};

// A result column of the table. A row's conversion column names the
// conversion of a refused result in that row.
struct Column {
  const char* name;
  int width, decimals;
  Bound bound;
  Result operator()(Real v) const { return {name, v.value(), width, decimals, bound, Role::Cell, nullptr}; }
};

// A result of the summary that states the optimum, under the label the report
// prints before it. The question asks for it on a student's sheet, in a quiz
// and in a self-check, where the report's own lines would read as fragments:
// what the quantity is, of which species and when, then, each after ", ", its
// symbol, which begins with a Latin letter, and, for a quantity that has one,
// its unit ("Концентрация B на выходе, Cb, кмоль/м3").
inline Result Answer(const char* label, const char* question, Real v, int w, int d, Bound bound) {
  return {label, v.value(), w, d, bound, Role::Answer, question};
}
// The answer that states the maximum the sweep found.
inline Result Maximum(const char* label, const char* question, Real v, int w, int d, Bound bound) {
  return {label, v.value(), w, d, bound, Role::Maximum, question};
}

// Where a sweep's optimum lies: the step that holds it (0 when no step beat
// the starting value) and the first and last steps offered.
struct SweepOptimum {
  int step = 0;
  int firstStep = 0;
  int lastStep = 0;
};

// A quantity of the optimum as the report states it, in UTF-8.
struct OptimumQuantity {
  std::string label;     // as the report prints it, e.g. "CRmax"
  std::string value;     // the printed digits, e.g. "0.250"
  std::string line;      // the report line that states it, without leading blanks
  bool maximum;          // the value the sweep maximised
  std::string question;  // as a student is asked for it, symbol and unit included
};

// The answers as CSV, UTF-8: a line "label,value", then one line per answer
// with its label and its printed digits, a label holding a comma or a quote
// quoted as CSV quotes it.
std::string AnswersCsv(const std::vector<OptimumQuantity>& answers);

// `text` as a CSV field: as it is, or in quotes (its quotes doubled) when it
// holds a comma, a quote or a line end.
std::string CsvField(const std::string& text);

// How the solver gets its results, for the message of a refused result: a
// stepwise integration over the conversion swings when its step is too
// coarse for the data.
enum class Method { Direct, StepwiseIntegration };

// Ends the current line.
struct EndOfLine {};
inline constexpr EndOfLine Eol{};

// The report of a run. Its lines are assembled in memory and the file is
// written when the report is complete, so a run that ends early (data refused,
// a numerical failure) leaves the previous report as it was.
class TReportFile {
 public:
  TReportFile();
  TReportFile(const TReportFile&) = delete;
  TReportFile& operator=(const TReportFile&) = delete;

  // Starts a new report for the file `name` (in the working directory when
  // bare); nothing is written yet.
  void Rewrite(const char* name);
  // Literal text, given in UTF-8 and written in Windows-1251.
  TReportFile& operator<<(const char* text);
  TReportFile& operator<<(Fixed number);
  TReportFile& operator<<(Result result);
  TReportFile& operator<<(EndOfLine);
  void Line(const char* text) { *this << text << Eol; }
  // Writes the report as the file, whole: a reader or another run at the same
  // moment sees the old report or the new one. A report holding a result that
  // is not finite or leaves its bound is refused (InvalidDataError) before
  // anything is written.
  void Close();
  // Whether the report holds a result that is not finite or leaves its bound,
  // which Close refuses.
  bool HoldsBadResult() const { return bad_.name != nullptr; }
  // Drops an unfinished report.
  void Abandon();

  // How the results of the report are got; set by BeginReport.
  void SetMethod(Method method) { method_ = method; }
  // Where the optimum of the sweep lies; set by EndReport.
  void SetOptimum(const SweepOptimum& optimum) { optimum_ = optimum; }

  // The optimum of the last report as it states it: its answers in report
  // order, and where in the sweep it lies.
  std::vector<OptimumQuantity> Answers() const;
  const SweepOptimum& Optimum() const { return optimum_; }
  // The names of the results the last report printed, each once, with the
  // bound it was held to.
  std::vector<std::pair<std::string, Bound>> ResultBounds() const;
  // The conversion of the optimum's step, as the sweep computes it; 0 when
  // no step beat the starting value.
  double OptimumConversion() const { return Real(optimum_.step * kStep).value(); }

  // With `on`, Close leaves the report in memory and writes no file: for
  // timing the solvers apart from the disk.
  void KeepInMemory(bool on) { inMemory_ = on; }
  bool KeptInMemory() const { return inMemory_; }
  // The bytes of the last report.
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string name_;
  std::string bytes_;
  bool open_ = false;
  bool inMemory_ = false;
  // Where the current line starts in bytes_, and the printed conversion of
  // the current table row (empty outside the table).
  std::size_t lineStart_ = 0;
  std::size_t rowConversionBegin_ = 0, rowConversionEnd_ = 0;
  // The first result that is not finite or leaves its bound: its name, where
  // its digits stand, the printed conversion of its row, and whether it is an
  // answer.
  struct BadResult {
    const char* name = nullptr;
    std::size_t begin = 0, end = 0;
    std::size_t conversionBegin = 0, conversionEnd = 0;
    bool finite = true;
    bool answer = false;
  } bad_;
  // The answers: label, and where the line and the digits stand. A report
  // states a handful; the room is fixed so that a run does not allocate.
  struct AnswerMark {
    const char* label;
    const char* question;
    std::size_t line, begin, end;
    bool maximum;
  };
  static constexpr int kMaxAnswers = 12;
  AnswerMark answers_[kMaxAnswers];
  int answerCount_ = 0;
  struct NamedBound {
    const char* name;
    Bound bound;
  };
  static constexpr int kMaxNames = 24;
  NamedBound names_[kMaxNames];
  int nameCount_ = 0;
  Method method_ = Method::Direct;
  SweepOptimum optimum_;
  std::string BadResultText() const;
};

// The one report file of all solvers.
extern TReportFile ReportFile;
inline constexpr const char* kReportFileName = "opt.out";

// The frame every solver opens with: a new report for "opt.out" and its first
// line, "Исходные данные".
TReportFile& BeginReport(Method method = Method::Direct);
// The frame every solver ends with, given where its optimum lies and the
// chart it drew: the file written and closed, unless a result of the report
// is not finite or leaves its bound or a chart point to be drawn is not
// finite; then the run is refused as for any other data it cannot take.
void EndReport(const SweepOptimum& optimum, const ChartToDraw& chart);
