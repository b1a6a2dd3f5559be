#include "Report.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <stdexcept>

#include "base/Cp1251.h"
#include "base/NumberText.h"
#include "base/Errors.h"

TReportFile ReportFile;

namespace {

int ErrorCode() { return errno != 0 ? errno : 101; }

}  // namespace

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
  bytes_.append(buf, FormatFixed(buf, sizeof buf, number));
  return *this;
}

TReportFile& TReportFile::operator<<(EndOfLine) {
  if (!open_) throw IoError(103);
  bytes_.append("\r\n", 2);
  return *this;
}

void TReportFile::Close() {
  if (!open_) throw IoError(103);
  open_ = false;
  if (inMemory_) return;
  // Overwritten in place and cut to length rather than truncated first: the
  // next report of a task has the same size, so no disk blocks are freed and
  // taken again on every run.
  errno = 0;
  const int fd = ::open(name_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) throw CannotCreateFile(name_);
  const char* p = bytes_.data();
  std::size_t left = bytes_.size();
  int failure = 0;
  while (left > 0 && failure == 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      failure = ErrorCode();
      break;
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
  if (failure == 0 && ::ftruncate(fd, static_cast<off_t>(bytes_.size())) != 0) failure = ErrorCode();
  errno = 0;
  if (::close(fd) != 0 && failure == 0) failure = ErrorCode();
  if (failure != 0) throw IoError(failure);
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

void EndReport() { ReportFile.Close(); }
