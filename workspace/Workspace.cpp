#include "Workspace.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <system_error>

#include "base/Errors.h"
#include "base/Text.h"
#include "base/WholeFile.h"
#include "solvers/RunOpt.h"

namespace fs = std::filesystem;

namespace workspace {

const char* const kManifestName = ".reactopt-copies";
const char* const kStartUsage = "usage: reactopt [--workspace] [--version] [--help]";

namespace {

// Statements are a few kilobytes; anything far larger is not one of ours and
// is not read into memory.
constexpr std::size_t kMaxTaskFileSize = 4u << 20;
constexpr std::size_t kMaxManifestSize = 1u << 20;

bool IsDataFileName(const std::string& name) { return Lower(name) == "datafile.dat"; }

// "zadNNN.txt" whose NNN is the code of a task the program solves. Looser
// names (zadanie.txt, zad1.txt) are common in a home folder and say nothing.
bool IsStatementName(const std::string& name) {
  const std::string n = Lower(name);
  if (n.size() != 10 || n.compare(0, 3, "zad") != 0 || n.compare(6, 4, ".txt") != 0) return false;
  int code = 0;
  for (std::size_t i = 3; i < 6; ++i) {
    if (n[i] < '0' || n[i] > '9') return false;
    code = code * 10 + (n[i] - '0');
  }
  return FindTask(code) != nullptr;
}

// What the program ships and copies: statements under any zad*.txt name, the
// data file, and the task files (the built-in tasks' and the examples), so
// that Open finds a task file to start from beside the statements.
bool IsTaskFileName(const std::string& name) {
  const std::string n = Lower(name);
  if (IsDataFileName(n)) return true;
  if (n.size() > 5 && n.compare(n.size() - 5, 5, ".toml") == 0) return true;
  return n.size() > 7 && n.compare(0, 3, "zad") == 0 && n.compare(n.size() - 4, 4, ".txt") == 0;
}

// A name that can stand on one manifest line and names a file in the folder.
bool IsPlainName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '/' || c == '\n' || c == '\r' || c == ' ' || c == '\t') return false;
  return true;
}

// What a copied file looked like: enough to notice any edit by the student.
struct Fingerprint {
  std::uint64_t hash = 0;
  std::uint64_t size = 0;
  bool operator==(const Fingerprint& o) const { return hash == o.hash && size == o.size; }
  bool operator!=(const Fingerprint& o) const { return !(*this == o); }
};

Fingerprint FingerprintOf(const std::string& bytes) {
  std::uint64_t h = 14695981039346656037ull;  // FNV-1a, 64 bits
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return {h, bytes.size()};
}

// Reads a regular file of at most `limit` bytes; false otherwise.
bool ReadSmallFile(const fs::path& file, std::size_t limit, std::string& bytes) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(file, ec)) || ec) return false;
  try {
    bytes = ReadRegularFile(file.string(), limit);
    return true;
  } catch (const InOutError&) {
    return false;
  }
}

// Writes `bytes` as `folder`/`name`, whole, through the one writer of whole
// files; with `onlyNew`, never over a file that appeared meanwhile (returns
// false then). The folder is known to be writable, so nothing is rewritten in
// place, and a copy the student made read-only is still brought up to date.
bool WriteWhole(const fs::path& folder, const std::string& name, const std::string& bytes, bool onlyNew) {
  const fs::path target = folder / name;
  WholeFileOptions options;
  options.inPlace = false;
  options.refuseReadOnly = false;
  options.onlyNew = onlyNew;
  try {
    PreparedFile file;
    file.Prepare(target.c_str(), bytes.data(), bytes.size(), options);
    return file.Commit();
  } catch (const InOutError& e) {
    throw WorkspaceError("не удалось записать " + target.string() + ": " +
                         (e.Code() ? SystemErrorText(e.Code()) : std::string("это не обычный файл")));
  }
}

// Puts a new file in place without ever replacing one that appeared meanwhile.
bool PlaceNewFile(const fs::path& folder, const std::string& name, const std::string& bytes) {
  return WriteWhole(folder, name, bytes, true);
}

// Replaces a file whole: readers see the old text or the new one.
void ReplaceFile(const fs::path& folder, const std::string& name, const std::string& bytes) {
  WriteWhole(folder, name, bytes, false);
}

using Manifest = std::map<std::string, Fingerprint>;

// Lines "HASH SIZE NAME"; anything else is skipped, so a damaged record only
// makes the program more careful (an unknown copy is never replaced).
Manifest ReadManifest(const fs::path& folder) {
  Manifest m;
  std::string text;
  if (!ReadSmallFile(folder / kManifestName, kMaxManifestSize, text)) return m;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string hash, name;
    std::uint64_t size = 0;
    if (!(fields >> hash >> size >> name) || hash.size() != 16 || !IsPlainName(name)) continue;
    char* end = nullptr;
    const unsigned long long h = std::strtoull(hash.c_str(), &end, 16);
    if (*end != '\0') continue;
    m[name] = {static_cast<std::uint64_t>(h), size};
  }
  return m;
}

void WriteManifest(const fs::path& folder, const Manifest& m) {
  std::string text =
      "# Task files as the program copied them here. A file that still matches its line\n"
      "# may be replaced by a newer version; any other file is never touched.\n";
  for (const auto& [name, print] : m) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(print.hash));
    text += std::string(hash) + " " + std::to_string(print.size) + " " + name + "\n";
  }
  ReplaceFile(folder, kManifestName, text);
}

// Makes sure `folder` is a folder the program may write in.
void PrepareFolder(const fs::path& folder) {
  const std::string named = "рабочая папка " + folder.string();
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(folder, ec);
  if (ec && ec != std::errc::no_such_file_or_directory) {
    throw WorkspaceError(named + " недоступна: " + ec.message());
  }
  if (fs::is_symlink(link) && !fs::exists(fs::status(folder, ec))) {
    throw WorkspaceError(named + " — ссылка на несуществующий путь");
  }
  if (!fs::exists(link)) {
    fs::create_directories(folder, ec);
    if (ec) {
      throw WorkspaceError("не удалось создать рабочую папку " + folder.string() + ": " + ec.message());
    }
  }
  if (!fs::is_directory(fs::status(folder, ec))) {
    throw WorkspaceError(named + " не является папкой");
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    throw WorkspaceError("нет права записи в рабочую папку " + folder.string() + ": " +
                         SystemErrorText(errno));
  }
}

std::vector<std::string> ShippedNames(const fs::path& shipped) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(shipped, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code typeError;
    if (IsTaskFileName(name) && IsPlainName(name) && it->is_regular_file(typeError)) {
      names.push_back(name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

bool IsTaskFolder(const fs::path& dir) {
  bool data = false;
  bool statement = false;
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end && !(data && statement); it.increment(ec)) {
    const std::string name = it->path().filename().string();
    const bool isData = IsDataFileName(name);
    if (!isData && !IsStatementName(name)) continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    data = data || isData;
    statement = statement || !isData;
  }
  return data && statement;
}

fs::path ShippedTasksFolder(const fs::path& program) {
  const fs::path bin = program.parent_path();
  for (const fs::path& candidate :
       {bin / ".." / "share" / "reactopt" / "tasks", bin / ".." / "tasks", bin / "tasks"}) {
    const fs::path folder = candidate.lexically_normal();
    if (!IsTaskFolder(folder)) continue;
    std::error_code ec;
    const fs::path resolved = fs::canonical(folder, ec);
    return ec ? folder : resolved;
  }
  return {};
}

fs::path WorkspaceFolder() {
  const std::string home = Environment("HOME");
  std::string chosen = Environment("REACTOPT_WORKSPACE");
  if (!chosen.empty()) {
    if (!home.empty() && (chosen == "~" || chosen.compare(0, 2, "~/") == 0)) {
      chosen = home + chosen.substr(1);
    }
    return fs::path(chosen);
  }
  if (home.empty()) return {};
  return fs::path(home) / "ReactOpt";
}

FillResult FillWorkspace(const fs::path& folder, const fs::path& shipped) {
  PrepareFolder(folder);
  FillResult result;
  Manifest manifest = ReadManifest(folder);
  bool manifestChanged = false;
  const auto record = [&](const std::string& name, const Fingerprint& print) {
    const auto it = manifest.find(name);
    if (it == manifest.end() || it->second != print) {
      manifest[name] = print;
      manifestChanged = true;
    }
  };

  for (const std::string& name : ShippedNames(shipped)) {
    std::string fresh;
    if (!ReadSmallFile(shipped / name, kMaxTaskFileSize, fresh)) continue;
    const Fingerprint freshPrint = FingerprintOf(fresh);
    const fs::path target = folder / name;

    std::error_code ec;
    fs::file_status status = fs::symlink_status(target, ec);
    if (status.type() == fs::file_type::not_found) {
      if (PlaceNewFile(folder, name, fresh)) {
        record(name, freshPrint);
        result.added.push_back(name);
        continue;
      }
      // Another start (or the student) put a file there meanwhile.
      status = fs::symlink_status(target, ec);
    }

    // Links, folders and anything odd under a statement's name are the
    // student's business; only a plain file can be a copy of ours.
    std::string current;
    if (!fs::is_regular_file(status) || !ReadSmallFile(target, kMaxTaskFileSize, current)) {
      result.kept.push_back(name);
      continue;
    }
    const Fingerprint currentPrint = FingerprintOf(current);
    if (currentPrint == freshPrint) {
      record(name, freshPrint);
      continue;
    }
    const auto copied = manifest.find(name);
    if (copied != manifest.end() && copied->second == currentPrint) {
      ReplaceFile(folder, name, fresh);
      record(name, freshPrint);
      result.updated.push_back(name);
    } else {
      result.kept.push_back(name);
    }
  }
  if (manifestChanged) WriteManifest(folder, manifest);
  return result;
}

StartFolder EnterWorkspace(const fs::path& program, bool workspaceOnly) {
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  fs::path folder = WorkspaceFolder();
  if (!folder.empty() && !here.empty()) folder = here / folder;  // a relative choice counts from here
  const std::string stayHere = "; программа работает в папке " + here.string();

  // Started by hand inside a folder of tasks (a source checkout, a folder the
  // teacher handed out), the student works there; the workspace is then left
  // alone, not even topped up, since nothing of it is used.
  if (!workspaceOnly && !here.empty() && IsTaskFolder(here)) {
    std::error_code sameError;
    if (folder.empty() || !fs::equivalent(here, folder, sameError)) return {here, ""};
  }
  if (folder.empty()) return {here, "не заданы ни REACTOPT_WORKSPACE, ни HOME" + stayHere};

  std::string problem;
  const fs::path shipped = ShippedTasksFolder(program);
  if (shipped.empty()) {
    problem = "рядом с программой нет условий задач (" +
              (program.parent_path() / ".." / "share" / "reactopt" / "tasks").lexically_normal().string() +
              "), рабочая папка " + folder.string() + " их не получит";
  }
  try {
    FillWorkspace(folder, shipped);
  } catch (const WorkspaceError& e) {
    return {here, e.what() + stayHere};
  }
  fs::current_path(folder, ec);
  if (ec)
    return {here, "не удалось перейти в рабочую папку " + folder.string() + ": " + ec.message() + stayHere};
  return {fs::current_path(ec), problem};
}

StartOptions ParseStartOptions(const std::vector<std::string>& args) {
  StartOptions options;
  for (const std::string& arg : args) {
    if (arg == "--workspace") {
      options.workspace = true;
    } else if (options.bad.empty()) {
      options.bad = arg;
    }
  }
  return options;
}

fs::path RunningProgram(const char* argv0) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && !self.empty()) return self;
  if (argv0 == nullptr || *argv0 == '\0') return {};
  return fs::absolute(argv0, ec);
}

}  // namespace workspace
