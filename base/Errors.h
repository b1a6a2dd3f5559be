#pragma once
// Failures that end the current command. Their texts are shown to the user as
// they stand (UTF-8); nothing is retried.

#include <stdexcept>
#include <string>

// A failed file operation. The text starts with the run-time's words ("File
// not found", "I/O error 28", ...) and, where a file is concerned, names it
// and the system's reason after them.
class InOutError : public std::runtime_error {
 public:
  explicit InOutError(const std::string& text) : std::runtime_error(text), plain_(text) {}
  InOutError(const std::string& text, const std::string& plain, const std::string& path, int code)
      : std::runtime_error(text), plain_(plain), path_(path), code_(code) {}

  // The same failure in a command-line tool's words, without the run-time's
  // error number: "cannot write /home/u/opt.out: No space left on device".
  const std::string& Plain() const { return plain_; }
  // The file concerned, as the text names it; empty when there is none.
  const std::string& Path() const { return path_; }
  // The system's error number; 0 when the failure has none.
  int Code() const { return code_; }

 private:
  std::string plain_;
  std::string path_;
  int code_ = 0;
};

InOutError FileNotFound();
InOutError FileNotFound(const std::string& path);
InOutError InvalidNumericInput();
// A token of a data file that is not a number: its line, and the task whose
// block holds that line.
InOutError InvalidNumericInput(const std::string& path, long line, int task);
// The run-time's codes of the I/O errors the program raises for itself: a
// file that could not be opened as a stream ("invalid file access code"),
// and a file written before it was opened.
constexpr int kIoInvalidAccess = 12;
constexpr int kIoFileNotOpen = 103;
InOutError IoError(int code);
// A failed read or write of the file `path`, with the system's reason.
InOutError IoError(int code, const std::string& path, bool reading);
InOutError CannotOpenFile(const std::string& name);
InOutError CannotOpenFile(const std::string& path, const std::string& reason);
InOutError CannotCreateFile(const std::string& name);
// `reason`: the system's text or the program's own words for why.
InOutError CannotCreateFile(const std::string& path, const std::string& reason, int code = 0);

// The system's text for an error number, e.g. "No space left on device".
std::string SystemErrorText(int code);
// `name` as an absolute path: bare names are in the working directory.
std::string AbsolutePath(const std::string& name);

// Task data that a solver's formulas cannot take (a divisor that would be
// zero). Raised before the report file is touched, so the last report stays.
class InvalidDataError : public std::runtime_error {
 public:
  // `condition` names the offending data, e.g. "k(1) = 0".
  explicit InvalidDataError(const std::string& condition);
  // The refusal again, from the message a run returned.
  struct Message {};
  InvalidDataError(Message, const std::string& text) : std::runtime_error(text) {}
};

// A numerical routine that cannot go on (a singular matrix); the run ends and
// the previous report stays.
class NumericalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
