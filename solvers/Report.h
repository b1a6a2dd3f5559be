#pragma once
// The report file "opt.out": Windows-1251 text, lines ended by CR LF, numbers in
// the w:d format. Every operation is checked; a failure raises InOutError.

#include <cstddef>
#include <cstdio>
#include <string>

// A number printed as w:d: fixed notation rounded to d decimals, right-aligned
// in at least w characters and never cut.
struct Fixed {
  Fixed(double v, int w, int d) : value(v), width(w), decimals(d) {}
  double value;
  int width;
  int decimals;
};

// Writes `f` into `buf` (NUL-terminated) and returns its length; a buffer of
// kFixedBufferSize holds any double with up to 20 decimals.
constexpr std::size_t kFixedBufferSize = 400;
std::size_t FormatFixed(char* buf, std::size_t size, Fixed f);
std::string FormatFixed(double v, int w, int d);

// Ends the current line.
struct EndOfLine {};
inline constexpr EndOfLine Eol{};

class TReportFile {
 public:
  TReportFile() = default;
  TReportFile(const TReportFile&) = delete;
  TReportFile& operator=(const TReportFile&) = delete;
  ~TReportFile();

  // Creates `name` afresh (in the working directory when bare).
  void Rewrite(const char* name);
  // Literal text, given in UTF-8 and written in Windows-1251.
  TReportFile& operator<<(const char* text);
  TReportFile& operator<<(Fixed number);
  TReportFile& operator<<(EndOfLine);
  void Line(const char* text) { *this << text << Eol; }
  void Close();
  // Drops the file handle after a failed run without raising anything.
  void Abandon();
  bool IsOpen() const { return file_ != nullptr; }

 private:
  void Put(const char* bytes, std::size_t n);
  std::FILE* file_ = nullptr;
  std::string name_;
};

// The one report file of all solvers.
extern TReportFile ReportFile;
inline constexpr const char* kReportFileName = "opt.out";

// The frame every solver opens with: "opt.out" created and its first line,
// "Исходные данные", written.
TReportFile& BeginReport();
// The frame every solver ends with: the file closed.
void EndReport();
