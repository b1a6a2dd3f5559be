#pragma once
// The report file "opt.out": Windows-1251 text, lines ended by CR LF, numbers in
// the w:d format. Every operation is checked; a failure raises InOutError.

#include <cstddef>
#include <cstdio>
#include <string>

#include "base/Real.h"

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
  TReportFile& operator<<(EndOfLine);
  void Line(const char* text) { *this << text << Eol; }
  // Writes the report as the file, whole: a reader or another run at the same
  // moment sees the old report or the new one. A report holding a number that
  // is not finite is refused (InvalidDataError) before anything is written.
  void Close();
  // Refuses (InvalidDataError) a report holding a number that is not finite,
  // naming it.
  void CheckFinite() const;
  // Drops an unfinished report.
  void Abandon();
  bool IsOpen() const { return open_; }

  // With `on`, Close leaves the report in memory and writes no file: for
  // timing the solvers apart from the disk.
  void KeepInMemory(bool on) { inMemory_ = on; }
  // The bytes of the last report.
  const std::string& Bytes() const { return bytes_; }

 private:
  std::string name_;
  std::string bytes_;
  bool open_ = false;
  bool inMemory_ = false;
  // Where the current line starts in bytes_.
  std::size_t lineStart_ = 0;
  // The first number of the report that is not finite: its line, where it
  // stands in it, and the sweep step it was written at.
  struct NonFinite {
    bool seen = false;
    std::size_t line = 0, begin = 0, end = 0;
    int step = 0;
  } nonFinite_;
  std::string NonFiniteNumber() const;
};

// The one report file of all solvers.
extern TReportFile ReportFile;
inline constexpr const char* kReportFileName = "opt.out";

// The frame every solver opens with: a new report for "opt.out" and its first
// line, "Исходные данные".
TReportFile& BeginReport();
// The frame every solver ends with: the file written and closed, unless a
// number of the report or a chart point to be drawn is not finite; then the
// run is refused as for any other data it cannot take.
void EndReport();
