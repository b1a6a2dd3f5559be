#include "VariantsRun.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <stdexcept>
#include <system_error>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/Text.h"
#include "base/WholeFile.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"
#include "workspace/Workspace.h"

namespace fs = std::filesystem;

namespace variants {

namespace {

// Data files are a few kilobytes; anything far larger is not one, and
// reading it whole would only cost memory.
constexpr std::size_t kMaxSourceSize = 1 << 20;
// The program's statements are about 2 KB; every variant's sheet and quiz
// question carries its statement, so one must fit a page.
constexpr std::size_t kMaxStatementSize = 64 << 10;
// A task file carries a statement too, and its scheme; the same bound as a
// run of one.
constexpr std::size_t kMaxSchemeSize = 1 << 20;

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The file `name` in `folder`, letter case ignored as the task files are
// named; empty when there is none.
fs::path FindFile(const fs::path& folder, const std::string& name) {
  std::error_code ec;
  if (folder.empty()) return {};
  if (fs::exists(fs::symlink_status(folder / name, ec))) return folder / name;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (Lower(it->path().filename().string()) == Lower(name)) return it->path();
  return {};
}

std::uint64_t Seed(const std::string& text) {
  std::uint64_t seed = 0;
  if (!teaching::ParseSeed(text, seed)) throw UsageError("--seed needs a whole number 0 to 2^64-1: " + text);
  return seed;
}

teaching::RangeSetting Range(const std::string& text) {
  const std::size_t equals = text.rfind('=');
  const std::size_t colon = equals == std::string::npos ? std::string::npos : text.find(':', equals);
  if (equals == std::string::npos || equals == 0 || colon == std::string::npos)
    throw UsageError("--range needs LABEL_OR_INDEX=LO:HI: " + text);
  return {text.substr(0, equals), text.substr(equals + 1, colon - equals - 1), text.substr(colon + 1)};
}

// FIELD[:FACTOR], the factor 2 unless given; the factor follows the last
// colon.
teaching::StudySetting StudyQuestion(const std::string& text) {
  teaching::StudySetting study;
  const std::size_t colon = text.rfind(':');
  study.field = text.substr(0, colon);
  if (colon != std::string::npos) study.factor = text.substr(colon + 1);
  if (study.field.find_first_not_of(' ') == std::string::npos)
    throw UsageError("--study-question needs FIELD[:FACTOR]: " + text);
  return study;
}

struct Options {
  teaching::KitRequest request;
  std::vector<std::string> schemePaths;  // as typed, in order
  fs::path folder = kDefaultFolder;
};

bool IsTaskFileName(const std::string& a) {
  if (a.size() <= 5) return false;
  std::string suffix = a.substr(a.size() - 5);
  for (char& c : suffix)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return suffix == ".toml";
}

Options ParseArguments(const std::vector<std::string>& args) {
  Options o;
  bool counted = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&]() -> const std::string& {
      if (++i == args.size()) throw UsageError(a + " needs a value");
      return args[i];
    };
    if (a == "--variants") {
      const std::string& n = value();
      if (!AllDigits(n) || n.size() > 4 || std::stoi(n) < 1 || std::stoi(n) > 1000)
        throw UsageError("--variants needs a count 1 to 1000: " + n);
      o.request.count = std::stoi(n);
      counted = true;
    } else if (a == "--seed") {
      o.request.seed = Seed(value());
    } else if (a == "--range") {
      o.request.ranges.push_back(Range(value()));
    } else if (a == "--tolerance") {
      o.request.tolerance = value();
      if (o.request.tolerance.empty()) throw UsageError("--tolerance needs a value");
    } else if (a == "--out") {
      o.folder = value();
      if (o.folder.empty()) throw UsageError("--out needs a folder name");
    } else if (a == "--key") {
      o.request.key = true;
    } else if (a == "--study-question") {
      o.request.study = StudyQuestion(value());
    } else if (a.size() > 1 && a[0] == '-') {
      throw UsageError("unknown option with --variants: " + a);
    } else if (IsTaskFileName(a)) {
      // The kit names a task file's files by its name, so two files of one
      // name from different folders cannot go into one kit.
      const std::string name = fs::path(a).filename().string();
      if (teaching::SchemeStem(name).empty())
        throw UsageError(
            "a task file's name must be NAME.toml, NAME neither digits only nor starting with a dot: " + a);
      for (const std::string& earlier : o.schemePaths)
        if (fs::path(earlier).filename() == name && earlier != a)
          throw UsageError("two task files named " + name + ": " + earlier + " and " + a);
      if (std::find(o.schemePaths.begin(), o.schemePaths.end(), a) == o.schemePaths.end()) {
        o.schemePaths.push_back(a);
        o.request.schemes.push_back(name);
      }
    } else if (a == "all") {
      for (const TaskEntry& task : AllTasks()) o.request.codes.push_back(task.code);
    } else {
      if (!AllDigits(a) || a.size() != 3 || !FindTask(std::stoi(a)))
        throw UsageError("not a task code 101-125 or a task file NAME.toml: " + a);
      o.request.codes.push_back(std::stoi(a));
    }
  }
  if (!counted) throw UsageError("--variants needs a count");
  if (o.request.codes.empty() && o.request.schemes.empty())
    throw UsageError("missing task code or task file");
  return o;
}

}  // namespace

bool AsksForVariants(const std::vector<std::string>& args) {
  for (const std::string& a : args)
    if (a == "--variants") return true;
  return false;
}

std::string ReadTaskFile(const std::string& name, const fs::path& folder, const fs::path& fallback) {
  fs::path file = FindFile(folder, name);
  if (file.empty()) file = FindFile(fallback, name);
  if (file.empty()) {
    const std::string path = AbsolutePath((folder / name).string());
    throw InOutError("Нет файла " + name + " ни в папке " + folder.string() +
                         (fallback.empty() ? std::string() : ", ни в папке " + fallback.string()),
                     "File not found: " + path +
                         (fallback.empty() ? std::string() : " (not in " + fallback.string() + " either)"),
                     path, ENOENT);
  }
  const bool statement = name != kDataFileName;
  return ReadRegularFile(AbsolutePath(file.string()), statement ? kMaxStatementSize : kMaxSourceSize);
}

teaching::KitSources ReadKitSources(const std::vector<int>& codes, const fs::path& folder,
                                    const fs::path& fallback) {
  teaching::KitSources sources;
  sources.dataFile = ReadTaskFile(kDataFileName, folder, fallback);
  for (int code : SortedUnique(codes))
    sources.statements[code] =
        cp1251::ToUtf8(ReadTaskFile("zad" + std::to_string(code) + ".txt", folder, fallback));
  return sources;
}

std::string ReadSchemeFile(const std::string& path) {
  return ReadRegularFile(AbsolutePath(path), kMaxSchemeSize);
}

std::vector<fs::path> WriteKitFiles(const std::vector<teaching::KitFile>& files, const fs::path& folder) {
  std::vector<FolderFile> set;
  std::vector<fs::path> written;
  for (const teaching::KitFile& file : files) {
    if (!teaching::IsKitFileName(file.name)) throw InOutError("Не файл набора: " + file.name);
    set.push_back({file.name, file.bytes.data(), file.bytes.size()});
    written.push_back(folder / file.name);
  }
  WriteFilesTogether(folder.string(), set.data(), set.size(),
                     [](const std::string& name) { return teaching::IsKitFileName(name); });
  return written;
}

int VariantsMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options options;
  try {
    options = ParseArguments(args);
  } catch (const UsageError& e) {
    err << "reactopt-batch: " << e.what() << " (" << kUsage << ")\n";
    return 2;
  }
  std::vector<teaching::KitFile> files;
  try {
    const fs::path installed = workspace::ShippedTasksFolder(workspace::RunningProgram(nullptr));
    teaching::KitSources sources = ReadKitSources(options.request.codes, ".", installed);
    for (const std::string& path : options.schemePaths)
      sources.schemes[fs::path(path).filename().string()] = ReadSchemeFile(path);
    files = teaching::MakeKit(options.request, sources);
  } catch (const teaching::KitRequestError& e) {
    err << "reactopt-batch: " << e.what() << " (" << kUsage << ")\n";
    return 2;
  } catch (const InOutError& e) {
    err << "reactopt-batch: " << e.Plain() << '\n';
    return 1;
  } catch (const std::runtime_error& e) {
    err << "reactopt-batch: " << e.what() << '\n';
    return 1;
  } catch (const std::bad_alloc&) {
    err << "reactopt-batch: out of memory\n";
    return 1;
  }
  std::vector<fs::path> written;
  try {
    written = WriteKitFiles(files, options.folder);
  } catch (const InOutError& e) {
    err << "reactopt-batch: " << e.Plain() << '\n';
    return 1;
  } catch (const std::bad_alloc&) {
    err << "reactopt-batch: out of memory\n";
    return 1;
  }
  for (const fs::path& path : written) out << path.string() << '\n';
  out.flush();
  if (!out) {
    err << "reactopt-batch: standard output: " << SystemErrorText(errno != 0 ? errno : EIO) << '\n';
    return 1;
  }
  return 0;
}

}  // namespace variants
