#include "Workspace.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

#include "base/WholeFile.h"

namespace fs = std::filesystem;

namespace workspace {

const char* const kManifestName = ".reactopt-copies";

namespace {

// Statements are a few kilobytes; anything far larger is not one of ours and
// is not read into memory.
constexpr std::uintmax_t kMaxTaskFileSize = 4u << 20;
constexpr std::uintmax_t kMaxManifestSize = 1u << 20;

std::string Lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

bool IsTaskFileName(const std::string& name) {
  const std::string n = Lower(name);
  if (n == "datafile.dat") return true;
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

std::string SystemMessage(int code) { return std::generic_category().message(code); }

// Reads a regular file of at most `limit` bytes; false otherwise.
bool ReadSmallFile(const fs::path& file, std::uintmax_t limit, std::string& bytes) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(file, ec)) || ec) return false;
  const std::uintmax_t size = fs::file_size(file, ec);
  if (ec || size > limit) return false;
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad() && bytes.size() <= limit;
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
    throw WorkspaceError("cannot write " + target.string() + ": " +
                         (e.Code() ? SystemMessage(e.Code()) : std::string("not a regular file")));
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
  std::error_code ec;
  const fs::file_status link = fs::symlink_status(folder, ec);
  if (ec && ec != std::errc::no_such_file_or_directory) {
    throw WorkspaceError("cannot use the workspace " + folder.string() + ": " + ec.message());
  }
  if (fs::is_symlink(link) && !fs::exists(fs::status(folder, ec))) {
    throw WorkspaceError("the workspace " + folder.string() + " is a link to nothing");
  }
  if (!fs::exists(link)) {
    fs::create_directories(folder, ec);
    if (ec) {
      throw WorkspaceError("cannot create the workspace " + folder.string() + ": " + ec.message());
    }
  }
  if (!fs::is_directory(fs::status(folder, ec))) {
    throw WorkspaceError("the workspace " + folder.string() + " is not a folder");
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    throw WorkspaceError("cannot write in the workspace " + folder.string() + ": " + SystemMessage(errno));
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

bool HoldsTaskFiles(const fs::path& dir) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (IsTaskFileName(it->path().filename().string()) && it->is_regular_file(typeError)) {
      return true;
    }
  }
  return false;
}

fs::path ShippedTasksFolder(const fs::path& program) {
  const fs::path bin = program.parent_path();
  for (const fs::path& candidate : {bin / ".." / "share" / "reactopt" / "tasks", bin / ".." / "tasks"}) {
    const fs::path folder = candidate.lexically_normal();
    if (HoldsTaskFiles(folder)) return folder;
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

fs::path EnterWorkspace(const fs::path& program, std::ostream& err) {
  std::error_code ec;
  const fs::path here = fs::current_path(ec);
  fs::path folder = WorkspaceFolder();
  if (!folder.empty() && !here.empty()) folder = here / folder;  // a relative choice counts from here

  // Started inside a folder of tasks (as from a source checkout), work there;
  // the workspace itself is still refreshed with statements it lacks.
  if (!here.empty() && HoldsTaskFiles(here)) {
    std::error_code sameError;
    if (folder.empty() || !fs::equivalent(here, folder, sameError)) return here;
  }
  if (folder.empty()) {
    err << "reactopt: neither REACTOPT_WORKSPACE nor HOME is set; working in the current folder\n";
    return here;
  }

  const fs::path shipped = ShippedTasksFolder(program);
  if (shipped.empty()) {
    err << "reactopt: no task statements found beside the program ("
        << (program.parent_path() / ".." / "share" / "reactopt" / "tasks").lexically_normal().string()
        << "); the workspace gets none\n";
  }
  try {
    FillWorkspace(folder, shipped);
  } catch (const WorkspaceError& e) {
    err << "reactopt: " << e.what() << "; working in the current folder " << here.string() << "\n";
    return here;
  }
  fs::current_path(folder, ec);
  if (ec) {
    err << "reactopt: cannot enter the workspace " << folder.string() << ": " << ec.message()
        << "; working in the current folder " << here.string() << "\n";
    return here;
  }
  return fs::current_path(ec);
}

fs::path RunningProgram(const char* argv0) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && !self.empty()) return self;
  if (argv0 == nullptr || *argv0 == '\0') return {};
  return fs::absolute(argv0, ec);
}

}  // namespace workspace
