#include "base/Errors.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <system_error>

InOutError FileNotFound() { return InOutError("File not found"); }

InOutError FileNotFound(const std::string& path) {
  return InOutError("File not found: " + path, "File not found: " + path, path, ENOENT);
}

InOutError InvalidNumericInput() { return InOutError("Invalid numeric input"); }

InOutError InvalidNumericInput(const std::string& path, long line, int task) {
  const std::string where =
      path + ", строка " + std::to_string(line) + " (данные задачи " + std::to_string(task) + ")";
  return InOutError("Invalid numeric input: " + where, "Invalid numeric input: " + where, path, 0);
}

InOutError IoError(int code) { return InOutError("I/O error " + std::to_string(code)); }

InOutError IoError(int code, const std::string& path, bool reading) {
  const std::string reason = path + ": " + SystemErrorText(code);
  return InOutError("I/O error " + std::to_string(code) + ": " + reason,
                    std::string(reading ? "cannot read " : "cannot write ") + reason, path, code);
}

InOutError CannotOpenFile(const std::string& name) { return InOutError("Cannot open file " + name); }

InOutError CannotOpenFile(const std::string& path, const std::string& reason) {
  const std::string text = "Cannot open file " + path + ": " + reason;
  return InOutError(text, text, path, 0);
}

InOutError CannotCreateFile(const std::string& name) { return InOutError("Cannot create file " + name); }

InOutError CannotCreateFile(const std::string& path, const std::string& reason, int code) {
  const std::string text = "Cannot create file " + path + ": " + reason;
  return InOutError(text, text, path, code);
}

std::string SystemErrorText(int code) { return std::generic_category().message(code); }

std::string AbsolutePath(const std::string& name) {
  if (!name.empty() && name[0] == '/') return name;
  char cwd[PATH_MAX];
  if (!::getcwd(cwd, sizeof cwd)) return name;
  const std::string folder(cwd);
  std::string rest = name;
  while (rest.compare(0, 2, "./") == 0) rest.erase(0, 2);
  if (rest.empty() || rest == ".") return folder;
  return folder + (folder == "/" ? "" : "/") + rest;
}

InvalidDataError::InvalidDataError(const std::string& condition)
    : std::runtime_error("Недопустимые исходные данные: " + condition) {}
