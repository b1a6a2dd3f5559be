#pragma once
// Failures that end the current command. Their texts are shown to the user as
// they stand (UTF-8); nothing is retried.

#include <stdexcept>
#include <string>

// A failed file operation.
class InOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

InOutError FileNotFound();
InOutError InvalidNumericInput();
InOutError IoError(int code);
InOutError CannotOpenFile(const std::string& name);
InOutError CannotCreateFile(const std::string& name);

// Task data that a solver's formulas cannot take (a divisor that would be
// zero). Raised before the report file is touched, so the last report stays.
class InvalidDataError : public std::runtime_error {
 public:
  // `condition` names the offending data, e.g. "k(1) = 0".
  explicit InvalidDataError(const std::string& condition);
};

// A numerical routine that cannot go on (a singular matrix); the run ends and
// the previous report stays.
class NumericalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
