#include "TaskData.h"

#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/TaskIdentity.h"

TTaskParams TaskParams;
TTaskFieldTable TaskFieldTable;

double& TTaskParams::Slot(int j) {
  static constexpr double TTaskParams::*kSlots[10] = {
      &TTaskParams::P1, &TTaskParams::P2, &TTaskParams::P3, &TTaskParams::P4, &TTaskParams::P5,
      &TTaskParams::P6, &TTaskParams::P7, &TTaskParams::P8, &TTaskParams::P9, &TTaskParams::P10};
  return this->*kSlots[j - 1];
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

bool ParseTypedNumber(std::string_view text, double& value) {
  const auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  const std::size_t comma = text.find(',');
  if (comma == std::string_view::npos) return ParseRealNumber(text, value);
  if (text.find_first_of(",.", comma + 1) != std::string_view::npos ||
      text.find('.') != std::string_view::npos)
    return false;
  std::string pointed(text);
  pointed[comma] = '.';
  return ParseRealNumber(pointed, value);
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
// the end of the file ends the data. Read in large blocks, since the rest of a
// line may be as long as the file.
class DataFileText {
 public:
  explicit DataFileText(std::FILE* f) : file_(f) {}
  explicit DataFileText(int fd) : fd_(fd) {}

  // The file as messages name it: the one in the working directory, by its
  // absolute path, or an open file handed over, by its usual name.
  std::string Path() const { return fd_ >= 0 ? AbsolutePath(kDataFileName) : kDataFileName; }
  // The line the next character stands on, counted from 1.
  long Line() const { return line_; }

  static constexpr int kEnd = -1;

  int Peek() {
    if (pos_ == length_ && !Fill()) return kEnd;
    return static_cast<unsigned char>(buffer_[pos_]);
  }
  int Get() {
    const int c = Peek();
    if (c != kEnd) Consume(c);
    return c;
  }
  static bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }
  static bool IsBlank(int c) { return c == ' ' || c == '\t'; }

  void SkipBlanksAndLineEnds() {
    for (int c = Peek(); IsBlank(c) || IsLineEnd(c); c = Peek()) Consume(c);
  }
  // Characters up to the next blank, tab, line end or end of data.
  std::string Token(std::size_t maxLength) {
    std::string token;
    while (token.size() < maxLength) {
      const int c = Peek();
      if (c == kEnd || IsBlank(c) || IsLineEnd(c)) break;
      token.push_back(static_cast<char>(c));
      Consume(c);
    }
    return token;
  }
  void SkipRestOfLine() {
    for (;;) {
      const char* p = buffer_ + pos_;
      const std::size_t n = length_ - pos_;
      const char* cr = static_cast<const char*>(std::memchr(p, '\r', n));
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', cr ? cr - p : n));
      const char* end = lf ? lf : cr;
      if (end != p) afterCr_ = false;
      if (end) {
        pos_ = static_cast<std::size_t>(end - buffer_);
        break;
      }
      pos_ = length_;
      SkipHole();
      if (!Fill()) break;
    }
    if (Get() == '\r' && Peek() == '\n') Get();
  }

 private:
  // Reads the next block; false at the end of the data.
  bool Fill() {
    if (ended_) return false;
    pos_ = length_ = 0;
    std::size_t n = 0;
    if (file_) {
      errno = 0;
      n = std::fread(buffer_, 1, sizeof buffer_, file_);
      if (n == 0 && std::ferror(file_)) throw IoError(errno != 0 ? errno : 100, Path(), true);
    } else {
      for (;;) {
        const ssize_t r = ::read(fd_, buffer_, sizeof buffer_);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) throw IoError(errno != 0 ? errno : 100, Path(), true);
        n = static_cast<std::size_t>(r);
        break;
      }
    }
    if (const void* eof = std::memchr(buffer_, 26, n)) {  // Ctrl+Z
      n = static_cast<std::size_t>(static_cast<const char*>(eof) - buffer_);
      ended_ = true;
    }
    length_ = n;
    if (n == 0) ended_ = true;
    return n > 0;
  }
  // A hole of a sparse file reads as NUL bytes, none of which ends a line or
  // the data: skipping the rest of a line jumps over it instead of reading it.
  void SkipHole() {
#if defined(SEEK_DATA)
    if (fd_ < 0 || ended_) return;
    const off_t here = ::lseek(fd_, 0, SEEK_CUR);
    if (here < 0) return;
    const off_t data = ::lseek(fd_, here, SEEK_DATA);
    if (data < 0 && errno == ENXIO) ended_ = true;  // a hole up to the end
#endif                                              // without it the hole is read, only more slowly
  }

  // Takes the character at the current position; CR LF, CR and LF each end a
  // line.
  void Consume(int c) {
    ++pos_;
    if (c == '\n' && afterCr_) {
      afterCr_ = false;
      return;
    }
    afterCr_ = c == '\r';
    if (IsLineEnd(c)) ++line_;
  }

  std::FILE* file_ = nullptr;
  int fd_ = -1;
  long line_ = 1;
  bool afterCr_ = false;
  char buffer_[1 << 16];
  std::size_t pos_ = 0;
  std::size_t length_ = 0;
  bool ended_ = false;
};

// The Flag token's value; false for a token that is no integer.
bool ParseFlag(const std::string& token, std::int32_t& flag) {
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
  if (i == token.size()) return false;
  std::int64_t value = 0;
  for (; i < token.size(); ++i) {
    const char c = token[i];
    int digit = -1;
    if (IsDigit(c))
      digit = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    if (digit < 0) return false;
    value = value * base + digit;
    if (value > 0x80000000LL) return false;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return false;
  flag = static_cast<std::int32_t>(value);
  return true;
}

// A token that is not a number, named by its line and the task whose block
// holds it.
[[noreturn]] void NotANumber(const DataFileText& text, long line, int block) {
  throw InvalidNumericInput(text.Path(), line, 100 + block);
}

double ReadValue(DataFileText& text, int block) {
  text.SkipBlanksAndLineEnds();
  if (text.Peek() == DataFileText::kEnd) return 0;
  const long line = text.Line();
  double value = 0;
  if (!ParseRealNumber(text.Token(64), value)) NotANumber(text, line, block);
  return value;
}

}  // namespace

namespace {

// Reads the block of TaskCode. Task data that the file does not reach are an
// error the user can mend; other codes read as empty records.
void ReadBlocks(DataFileText& text, bool isTask) {
  const int wanted = TaskCode - 100;
  TaskFieldTable.code = 0;
  for (int block = 1;; ++block) {
    for (int i = 1; i <= 10; ++i) {
      TaskField record;
      text.SkipBlanksAndLineEnds();
      if (text.Peek() == DataFileText::kEnd && isTask && (block < wanted || i == 1))
        throw InOutError(std::string("В файле ") + kDataFileName + " нет данных для задачи " +
                         std::to_string(TaskCode));
      const long line = text.Line();
      if (text.Peek() != DataFileText::kEnd && !ParseFlag(text.Token(32), record.Flag))
        NotANumber(text, line, block);
      if (record.Flag > 0 && block == wanted) {
        for (int n = 0; n < 17; ++n) {
          const int c = text.Peek();
          if (c == DataFileText::kEnd || DataFileText::IsLineEnd(c)) break;
          record.LabelText.push_back(static_cast<char>(text.Get()));
        }
        for (double& value : record.Values) value = ReadValue(text, block);
      }
      text.SkipRestOfLine();
      TaskFieldTable[i] = record;
    }
    if (block >= wanted || block == 30) {
      if (block == wanted) TaskFieldTable.code = TaskCode;
      break;
    }
  }
}

}  // namespace

void ReadFromFile(std::FILE* file, bool blockRequired) {
  const auto text = std::make_unique<DataFileText>(file);
  ReadBlocks(*text, blockRequired);
}

void ReadFromBytes(const std::string& bytes, bool blockRequired) {
  // An empty buffer cannot be opened as a stream; Ctrl+Z alone is an empty
  // data file to the reader.
  static char endOfData[] = "\x1A";
  char* data = bytes.empty() ? endOfData : const_cast<char*>(bytes.data());
  const std::size_t size = bytes.empty() ? 1 : bytes.size();
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fmemopen(data, size, "rb"), std::fclose);
  // The run-time numbers a stream it cannot make as out of memory.
  if (!file) throw IoError(kIoInvalidAccess);
  ReadFromFile(file.get(), blockRequired);
}

void ReadFromFile(bool blockRequired) {
  // Non-blocking, so that a FIFO of this name cannot hold the program; only a
  // regular file is read.
  errno = 0;
  const int fd = ::open(kDataFileName, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int code = errno != 0 ? errno : ENOENT;
    if (code == ENOENT) throw FileNotFound(AbsolutePath(kDataFileName));
    throw IoError(code, AbsolutePath(kDataFileName), true);
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
    throw CannotOpenFile(AbsolutePath(kDataFileName),
                         S_ISDIR(st.st_mode) ? SystemErrorText(EISDIR) : "это не обычный файл");
  const auto text = std::make_unique<DataFileText>(fd);
  ReadBlocks(*text, blockRequired);
}
