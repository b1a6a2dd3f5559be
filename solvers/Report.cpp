#include "Report.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <stdexcept>

#include "Cp1251.h"
#include "Errors.h"

TReportFile ReportFile;

namespace {

int ErrorCode() { return errno != 0 ? errno : 101; }

}  // namespace

std::size_t FormatFixed(char* buf, std::size_t size, Fixed f) {
  // The shortest correct rounding of the stored binary value, as printf's
  // "%w.df" gives it: exact halves go to the even digit.
  char body[kFixedBufferSize];
  const int d = std::clamp(f.decimals, 0, 20);
  const auto res = std::to_chars(body, body + sizeof body, f.value, std::chars_format::fixed, d);
  const std::size_t n = static_cast<std::size_t>(res.ptr - body);
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

TReportFile::~TReportFile() { Abandon(); }

void TReportFile::Rewrite(const char* name) {
  Abandon();
  name_ = name;
  errno = 0;
  file_ = std::fopen(name, "wb");
  if (!file_) throw CannotCreateFile(name_);
}

void TReportFile::Put(const char* bytes, std::size_t n) {
  if (!file_) throw IoError(103);  // file not open
  errno = 0;
  if (std::fwrite(bytes, 1, n, file_) != n) throw IoError(ErrorCode());
}

TReportFile& TReportFile::operator<<(const char* text) {
  char chunk[256];
  std::size_t used = 0;
  const std::string_view utf8(text);
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const int b = cp1251::FromCodePoint(cp1251::NextCodePoint(utf8, pos));
    if (b < 0) throw std::logic_error("report text outside Windows-1251");
    chunk[used++] = static_cast<char>(b);
    if (used == sizeof chunk) {
      Put(chunk, used);
      used = 0;
    }
  }
  if (used > 0) Put(chunk, used);
  return *this;
}

TReportFile& TReportFile::operator<<(Fixed number) {
  char buf[kFixedBufferSize];
  Put(buf, FormatFixed(buf, sizeof buf, number));
  return *this;
}

TReportFile& TReportFile::operator<<(EndOfLine) {
  Put("\r\n", 2);
  return *this;
}

void TReportFile::Close() {
  if (!file_) throw IoError(103);
  std::FILE* f = file_;
  file_ = nullptr;
  errno = 0;
  if (std::fclose(f) != 0) throw IoError(ErrorCode());
}

void TReportFile::Abandon() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
}

TReportFile& BeginReport() {
  ReportFile.Rewrite(kReportFileName);
  ReportFile.Line("Исходные данные");
  return ReportFile;
}

void EndReport() { ReportFile.Close(); }
