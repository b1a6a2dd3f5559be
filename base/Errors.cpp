#include "base/Errors.h"

InOutError FileNotFound() { return InOutError("File not found"); }

InOutError InvalidNumericInput() { return InOutError("Invalid numeric input"); }

InOutError IoError(int code) { return InOutError("I/O error " + std::to_string(code)); }

InOutError CannotOpenFile(const std::string& name) { return InOutError("Cannot open file " + name); }

InOutError CannotCreateFile(const std::string& name) { return InOutError("Cannot create file " + name); }

InvalidDataError::InvalidDataError(const std::string& condition)
    : std::runtime_error("Недопустимые исходные данные: " + condition) {}
