#include "BatchRun.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <memory>
#include <new>
#include <stdexcept>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/Text.h"
#include "base/WholeFile.h"
#include "cli/VariantsRun.h"
#include "initial_data/TaskData.h"
#include "schemes/Scheme.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "teaching/Study.h"
#include "workspace/Workspace.h"

#ifndef REACTOPT_INSTALLED_TASKS
#define REACTOPT_INSTALLED_TASKS "/usr/share/reactopt/tasks"
#endif

namespace {

constexpr const char* kUsage =
    "usage: reactopt-batch [--print] [--chart FILE] [--answer FILE] CODE_OR_TASKFILE [P1 ... P10]";
constexpr const char* kStudyUsage =
    "usage: reactopt-batch --study NAME=LO:HI[:N][:log] [--out FILE] CODE_OR_TASKFILE [P1 ... P10]";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string ChartOfTheRun(const TaskResult& run) { return ChartCsv(run.chart); }
std::string AnswersOfTheRun(const TaskResult& run) { return AnswersCsv(run.answers); }

// A file named on the command line that the run writes (the chart). It
// follows the usual rules of command-line tools: "-" is standard output; a
// FIFO, a device or a socket (or a link to one, or /dev/stdout, /dev/fd/N) is
// written as a stream, never replaced; a regular file or a new name is
// written whole, a link's target in its place.
struct UserOutput {
  std::string option;                                    // "--chart"
  std::string path;                                      // as given
  std::string (*contents)(const TaskResult&) = nullptr;  // what the run writes there
  std::string bytes;
  int fd = -1;  // an inherited descriptor the stream goes to (1: `out`)
  bool stream = false;
  std::string target;  // the file, once links are followed
};

struct Options {
  bool print = false;
  std::vector<UserOutput> outputs;
  std::string task;
  std::vector<double> values;
};

// What follows the options: the task code or task file, then its values.
void ReadTaskAndValues(const std::vector<std::string>& args, std::size_t i, Options& o) {
  if (i == args.size()) throw UsageError("missing task code or task file");
  o.task = args[i++];
  if (args.size() - i > 10) throw UsageError("at most 10 values P1 ... P10");
  for (; i < args.size(); ++i) {
    double v = 0;
    if (!ParseTypedNumber(args[i], v)) throw UsageError("not a number: " + args[i]);
    o.values.push_back(v);
  }
}

Options ParseArguments(const std::vector<std::string>& args) {
  Options o;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--print") {
      o.print = true;
    } else if (args[i] == "--chart" || args[i] == "--answer") {
      const std::string option = args[i];
      if (++i == args.size() || args[i].empty()) throw UsageError(option + " needs a file name");
      UserOutput output;
      output.option = option;
      output.path = args[i];
      output.contents = option == "--chart" ? ChartOfTheRun : AnswersOfTheRun;
      o.outputs.push_back(output);
    } else if (args[i].size() > 2 && args[i].compare(0, 2, "--") == 0) {
      throw UsageError("unknown option " + args[i]);
    } else {
      break;
    }
  }
  ReadTaskAndValues(args, i, o);
  return o;
}

// Sets TaskCode from the first argument and checks the number of values.
void SelectTask(const Options& o) {
  if (AllDigits(o.task)) {
    TaskCode = o.task.size() <= 3 ? std::stoi(o.task) : 0;
  } else {
    ParseTaskCode(FirstChars(FileNamePart(o.task), 10));
  }
  if (!FindTask(TaskCode)) throw UsageError("no task 101-125 in " + o.task);
  const int k = SlotCount(TaskCode);
  if (static_cast<int>(o.values.size()) > k)
    throw UsageError("task " + std::to_string(TaskCode) + " takes " + std::to_string(k) +
                     (k == 1 ? " value, " : " values, ") + std::to_string(o.values.size()) + " given");
}

// The report this run made, as UTF-8 with LF line ends: from memory, since
// another run may have replaced "opt.out" meanwhile.
std::string PrintedReport(const std::string& report) {
  const std::string text = cp1251::ToUtf8(report);
  std::string lf;
  lf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf.push_back(text[i]);
  return lf;
}

// The absolute path of `path` with its folder resolved, or "" when the folder
// does not exist.
std::string ResolvedPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  char* real = ::realpath(folder.c_str(), nullptr);
  if (!real) return "";
  std::string resolved(real);
  std::free(real);
  if (name.empty() || name == "." || name == "..") return "";
  return resolved + (resolved == "/" ? "" : "/") + name;
}

// `path` with its symbolic links followed to the file they name, which need
// not exist.
std::string FollowLinks(const std::string& path) {
  std::string p = path;
  for (int depth = 0; depth < 40; ++depth) {
    struct stat st;
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    char target[PATH_MAX];
    const ssize_t n = ::readlink(p.c_str(), target, sizeof target - 1);
    if (n <= 0) return p;
    const std::string next(target, static_cast<std::size_t>(n));
    const std::size_t slash = p.rfind('/');
    p = next[0] == '/' || slash == std::string::npos ? next : p.substr(0, slash + 1) + next;
  }
  throw CannotCreateFile(AbsolutePath(path), SystemErrorText(ELOOP), ELOOP);
}

// The descriptor a name of the system's own streams stands for: /dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N. Writing there goes to what the
// descriptor already is (a terminal, a pipe, a file opened for appending).
// -1 for any other name.
int StreamNumber(const std::string& path) {
  if (path == "-" || path == "/dev/stdout") return 1;
  if (path == "/dev/stderr") return 2;
  for (const std::string prefix : {"/dev/fd/", "/proc/self/fd/"}) {
    const std::string number = path.substr(std::min(path.size(), prefix.size()));
    if (path.compare(0, prefix.size(), prefix) == 0 && AllDigits(number) && number.size() < 6)
      return std::stoi(number);
  }
  return -1;
}

void Classify(UserOutput& o) {
  o.fd = StreamNumber(o.path);
  if (o.fd >= 0) {
    o.stream = true;
    return;
  }
  o.target = FollowLinks(o.path);
  struct stat st;
  o.stream = ::stat(o.target.c_str(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

// What a user output must never replace: a file the run reads or writes.
struct Protected {
  std::string path;
  std::string what;
};

// Whether `o` writes the file `other`: the same file, or the same name in the
// same folder, compared as the program compares its own files' names, without
// regard to letter case ("Opt.Out" is the report).
bool SameFile(const UserOutput& o, const std::string& other) {
  struct stat mine, theirs;
  const bool haveMine = o.fd >= 0 ? ::fstat(o.fd, &mine) == 0 : ::stat(o.target.c_str(), &mine) == 0;
  if (haveMine && ::stat(other.c_str(), &theirs) == 0 && mine.st_dev == theirs.st_dev &&
      mine.st_ino == theirs.st_ino)
    return true;
  if (o.fd >= 0) return false;
  const std::string a = ResolvedPath(o.target), b = ResolvedPath(FollowLinks(other));
  const std::size_t slash = a.rfind('/');
  return !a.empty() && a.size() == b.size() && a.compare(0, slash, b, 0, slash) == 0 &&
         Lower(a.substr(slash)) == Lower(b.substr(slash));
}

// Whether `name` is that of a task statement (zadNNN.txt) or of the data
// file, letter case ignored as the program reads them.
bool IsTaskFileName(const std::string& name) {
  const std::string n = Lower(name);
  return n == Lower(kDataFileName) || (n.size() == 10 && n.compare(0, 3, "zad") == 0 &&
                                       AllDigits(n.substr(3, 3)) && n.compare(6, 4, ".txt") == 0);
}

std::string TaskFileWhat(const std::string& name) {
  return (Lower(name) == Lower(kDataFileName) ? "the data file " : "the task statement ") + name;
}

// The folders whose statements and data file no output may replace: the
// current one, where the run reads its data, and the task file's.
std::vector<std::string> TaskFolders(const Options& o) {
  std::vector<std::string> folders = {"."};
  if (!AllDigits(o.task)) {
    const std::size_t slash = o.task.rfind('/');
    if (slash != std::string::npos) folders.push_back(slash == 0 ? "/" : o.task.substr(0, slash));
  }
  return folders;
}

// Refuses (bad usage) an output that is the report, a task statement or the
// data file of the current folder or the task file's (zadNNN.txt and
// DataFile.dat, by name or by link, whether they exist or not), the task file
// named or another output.
void CheckOutputs(Options& o) {
  std::vector<Protected> guarded = {{kReportFileName, std::string("the report ") + kReportFileName}};
  std::vector<std::string> folders;
  for (const std::string& folder : TaskFolders(o)) {
    char* real = ::realpath(folder.c_str(), nullptr);
    if (!real) continue;
    folders.push_back(real);
    std::free(real);
    guarded.push_back({folder + "/" + kDataFileName, TaskFileWhat(kDataFileName)});
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
      if (IsTaskFileName(it->path().filename().string()))
        guarded.push_back({it->path().string(), TaskFileWhat(it->path().filename().string())});
  }
  if (!AllDigits(o.task)) guarded.push_back({o.task, "the task file " + o.task});
  for (UserOutput& out : o.outputs) {
    Classify(out);
    for (const Protected& p : guarded)
      if (SameFile(out, p.path))
        throw UsageError(out.option + " " + out.path + " would overwrite " + p.what +
                         "; choose another file");
    if (!out.stream) {
      const std::string resolved = ResolvedPath(out.target);
      const std::size_t slash = resolved.rfind('/');
      const std::string folder = slash == 0 ? "/" : resolved.substr(0, slash),
                        name = resolved.substr(slash + 1);
      if (!resolved.empty() && IsTaskFileName(name) &&
          std::find(folders.begin(), folders.end(), folder) != folders.end())
        throw UsageError(out.option + " " + out.path + " would overwrite " + TaskFileWhat(name) +
                         "; choose another file");
      guarded.push_back({out.target, "the file of " + out.option});
    }
  }
}

// A failed write to a stream, in plain words.
InOutError StreamError(const std::string& where, int code) {
  const std::string text = where + ": " + SystemErrorText(code);
  return InOutError(text, text, where, code);
}

// Writes `text` to `out` and flushes it.
void WriteOutput(std::ostream& out, const std::string& text) {
  errno = 0;
  out << text;
  out.flush();
  if (!out) throw StreamError("standard output", errno != 0 ? errno : EIO);
}

void WriteStream(const UserOutput& o, std::ostream& out) {
  if (o.fd == 1) return WriteOutput(out, o.bytes);
  int fd = o.fd;
  if (fd < 0) {
    // Not blocking: a FIFO's reader may come a moment later, but one that
    // nobody reads ends the run instead of holding it.
    for (int wait = 0; wait < 200; ++wait) {
      fd = ::open(o.target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
      if (fd >= 0 || errno != ENXIO) break;
      const timespec pause{0, 10 * 1000 * 1000};
      ::nanosleep(&pause, nullptr);
    }
    if (fd < 0 && errno == ENXIO)
      throw InOutError(o.path + ": nothing reads from it", o.path + ": nothing reads from it", o.path, ENXIO);
    if (fd < 0) throw StreamError(o.path, errno);
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  }
  int failure = WriteAll(fd, o.bytes.data(), o.bytes.size(), EIO);
  if (fd != o.fd && ::close(fd) != 0 && failure == 0 && errno != EINTR) failure = errno;
  if (failure != 0) throw StreamError(o.path, failure);
}

// Writes the report and every user output together: each file is complete on
// disk beside its name and each stream written before any file takes its new
// contents, so a failure on the way leaves every old file as it was.
void WriteOutputs(const std::string& report, std::vector<UserOutput>& outputs, std::ostream& out) {
  std::vector<std::unique_ptr<PreparedFile>> files;
  files.push_back(std::make_unique<PreparedFile>());
  files.back()->Prepare(kReportFileName, report.data(), report.size());
  for (const UserOutput& o : outputs) {
    if (o.stream) continue;
    files.push_back(std::make_unique<PreparedFile>());
    files.back()->Prepare(o.target.c_str(), o.bytes.data(), o.bytes.size());
  }
  for (const UserOutput& o : outputs)
    if (o.stream) WriteStream(o, out);
  std::vector<PreparedFile*> all;
  for (const auto& f : files) all.push_back(f.get());
  CommitTogether(all.data(), all.size());
}

// Where the statements and DataFile.dat installed with the program are.
std::string InstalledTasksFolder() {
  const std::filesystem::path shipped = workspace::ShippedTasksFolder(workspace::RunningProgram(nullptr));
  return shipped.empty() ? REACTOPT_INSTALLED_TASKS : shipped.string();
}

// The message of a failed file operation, in the runner's words.
std::string Describe(const InOutError& e) {
  std::string text = e.Plain();
  const std::string data = std::string("/") + kDataFileName;
  const std::string& path = e.Path();
  if (e.Code() == ENOENT && path.size() >= data.size() &&
      path.compare(path.size() - data.size(), data.size(), data) == 0) {
    const int k = SlotCount(TaskCode);
    text += " (the values not given on the command line are read from " + std::string(kDataFileName) +
            " in the current folder; task " + std::to_string(TaskCode) + " takes " + std::to_string(k) +
            "; the installed statements and " + kDataFileName + " are in " + InstalledTasksFolder() + ")";
  }
  if (const auto* w = dynamic_cast<const WholeFileError*>(&e);
      w && w->FileLeft() == WholeFileError::Left::Damaged)
    text += " (the file may now be incomplete)";
  return text;
}

// The exit status of a run ended by the exception in flight, its message
// written: bad usage 2; a file that cannot be read or written, data the task
// cannot take (the desktop's own message) and memory run out 1. Anything
// else is a fault of the program and goes on.
int Failure(std::ostream& err, const char* usage = kUsage) {
  try {
    throw;
  } catch (const UsageError& e) {
    err << "reactopt-batch: " << e.what() << " (" << usage << ")\n";
    return 2;
  } catch (const InOutError& e) {
    err << "reactopt-batch: " << Describe(e) << '\n';
    return 1;
  } catch (const std::runtime_error& e) {
    err << e.what() << '\n';
    return 1;
  } catch (const std::bad_alloc&) {
    err << "reactopt-batch: out of memory\n";
    return 1;
  }
}

// A task file (any letter case of ".toml") is a scheme the engine of schemes
// runs; the outputs, messages and exit codes are those of the built-in tasks.
bool IsTaskFile(const std::string& task) {
  return task.size() > 5 && Lower(task.substr(task.size() - 5)) == ".toml";
}

int RunTaskFile(Options& options, std::ostream& out, std::ostream& err) {
  constexpr std::size_t kTaskFileLimit = 1 << 20;
  schemes::SchemeRun run;
  try {
    const schemes::Scheme scheme =
        schemes::ParseScheme(ReadRegularFile(options.task, kTaskFileLimit), options.task);
    const std::size_t k = scheme.parameters.size();
    if (options.values.size() > k)
      throw UsageError(options.task + " takes " + std::to_string(k) + (k == 1 ? " value, " : " values, ") +
                       std::to_string(options.values.size()) + " given");
    CheckOutputs(options);
    run = schemes::RunScheme(scheme, schemes::ValuesWithDefaults(scheme, options.values));
  } catch (...) {
    // A task file or data it cannot take: the message names the line or the field.
    return Failure(err);
  }
  try {
    for (UserOutput& o : options.outputs)
      o.bytes = o.option == "--chart" ? schemes::SchemeChartCsv(run) : schemes::SchemeAnswersCsv(run);
    WriteOutputs(run.report, options.outputs, out);
    if (options.print) WriteOutput(out, PrintedReport(run.report));
  } catch (...) {
    return Failure(err);
  }
  return 0;
}

// A study: the task run at evenly spaced values of one field, written as
// CSV to standard output or to the file of --out, by the rules of --chart.
// Nothing else is written: the report of the last point would mean nothing.
bool AsksForStudy(const std::vector<std::string>& args) {
  return std::find(args.begin(), args.end(), "--study") != args.end();
}

constexpr int kStudyDefaultPoints = 11;

// NAME=LO:HI[:N][:log] into the request: the name up to the last "=", the
// bounds with a decimal point or comma.
void ParseStudyRange(const std::string& range, teaching::StudyRequest& request) {
  const std::size_t equals = range.rfind('=');
  if (equals == std::string::npos || equals == 0)
    throw UsageError("--study " + range + ": expected NAME=LO:HI[:N][:log]");
  request.parameter = range.substr(0, equals);
  std::vector<std::string> parts;
  for (std::size_t start = equals + 1;;) {
    const std::size_t colon = range.find(':', start);
    parts.push_back(range.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  if (parts.size() >= 2 && Lower(parts.back()) == "log") {
    request.logarithmic = true;
    parts.pop_back();
  }
  if (parts.size() < 2 || parts.size() > 3)
    throw UsageError("--study " + range + ": expected NAME=LO:HI[:N][:log]");
  if (!ParseTypedNumber(parts[0], request.low))
    throw UsageError("--study " + range + ": not a number: " + parts[0]);
  if (!ParseTypedNumber(parts[1], request.high))
    throw UsageError("--study " + range + ": not a number: " + parts[1]);
  request.count = kStudyDefaultPoints;
  if (parts.size() == 3) {
    if (!AllDigits(parts[2]) || parts[2].size() > 4)
      throw UsageError("--study " + range + ": the count of points " + parts[2] + " is not a whole number");
    request.count = std::stoi(parts[2]);
  }
}

// The study's options; the task and its values as a run takes them.
Options ParseStudyArguments(const std::vector<std::string>& args, teaching::StudyRequest& request) {
  Options o;
  bool studied = false;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--study") {
      if (studied) throw UsageError("one --study at a time");
      if (++i == args.size() || args[i].empty()) throw UsageError("--study needs NAME=LO:HI[:N][:log]");
      ParseStudyRange(args[i], request);
      studied = true;
    } else if (args[i] == "--out") {
      if (!o.outputs.empty()) throw UsageError("one --out at a time");
      if (++i == args.size() || args[i].empty()) throw UsageError("--out needs a file name");
      UserOutput output;
      output.option = "--out";
      output.path = args[i];
      o.outputs.push_back(output);
    } else if (args[i] == "--print" || args[i] == "--chart" || args[i] == "--answer") {
      throw UsageError(args[i] + " does not go with --study, which writes the study alone");
    } else if (args[i].size() > 2 && args[i].compare(0, 2, "--") == 0) {
      throw UsageError("unknown option " + args[i]);
    } else {
      break;
    }
  }
  ReadTaskAndValues(args, i, o);
  request.values.assign(o.values.begin(), o.values.end());
  return o;
}

// Why no point of `study` ran: the first few refusals, each once, with the
// first value that met it.
std::string NoPointRan(const teaching::Study& study) {
  constexpr std::size_t kShown = 3;
  std::string text = "no point of the study of " + study.parameterKey + " could be run";
  std::vector<std::string> seen;
  for (const teaching::StudyPoint& point : study.points) {
    if (seen.size() == kShown) break;
    if (std::find(seen.begin(), seen.end(), point.refusal) != seen.end()) continue;
    seen.push_back(point.refusal);
    text += "\n  " + study.parameterKey + " = " + ShortestText(point.value) + ": " + point.refusal;
  }
  return text;
}

int RunStudyCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  constexpr std::size_t kTaskFileLimit = 1 << 20;
  constexpr std::size_t kDataFileLimit = 1 << 20;
  teaching::StudyRequest request;
  Options options;
  teaching::Study study;
  try {
    options = ParseStudyArguments(args, request);
    if (IsTaskFile(options.task)) {
      request.scheme = ReadRegularFile(options.task, kTaskFileLimit);
      request.schemeName = options.task;
      // Checks the file and the count of values before the outputs.
      const schemes::Scheme scheme = schemes::ParseScheme(request.scheme, options.task);
      const std::size_t k = scheme.parameters.size();
      if (options.values.size() > k)
        throw UsageError(options.task + " takes " + std::to_string(k) + (k == 1 ? " value, " : " values, ") +
                         std::to_string(options.values.size()) + " given");
    } else {
      SelectTask(options);
      request.code = TaskCode;
    }
    CheckOutputs(options);
    if (request.code != 0) request.dataFile = ReadRegularFile(AbsolutePath(kDataFileName), kDataFileLimit);
    try {
      study = teaching::PlanStudy(request);
    } catch (const teaching::StudyError& e) {
      throw UsageError(e.what());
    }
  } catch (...) {
    return Failure(err, kStudyUsage);
  }
  try {
    teaching::RunStudyPoints(request, study, 0, study.points.size());
    if (std::none_of(study.points.begin(), study.points.end(),
                     [](const teaching::StudyPoint& p) { return p.ran; })) {
      err << "reactopt-batch: " << NoPointRan(study) << '\n';
      return 1;
    }
    const std::string csv = teaching::StudyCsv(study);
    if (options.outputs.empty()) {
      WriteOutput(out, csv);
    } else {
      UserOutput& o = options.outputs.front();
      o.bytes = csv;
      if (o.stream) {
        WriteStream(o, out);
      } else {
        PreparedFile file;
        file.Prepare(o.target.c_str(), o.bytes.data(), o.bytes.size());
        PreparedFile* files[] = {&file};
        CommitTogether(files, 1);
      }
    }
  } catch (...) {
    return Failure(err, kStudyUsage);
  }
  return 0;
}

}  // namespace

int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (variants::AsksForVariants(args)) return variants::VariantsMain(args, out, err);
  if (AsksForStudy(args)) return RunStudyCommand(args, out, err);
  Options options;
  try {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
      try {
        WriteOutput(out, std::string(kUsage) + '\n' + kStudyUsage + '\n' + variants::kUsage +
                             "\nusage: reactopt-batch --help | --version\n");
      } catch (const InOutError& e) {
        err << "reactopt-batch: " << e.Plain() << '\n';
        return 1;
      }
      return 0;
    }
    options = ParseArguments(args);
    if (IsTaskFile(options.task)) return RunTaskFile(options, out, err);
    SelectTask(options);
    CheckOutputs(options);
  } catch (...) {
    return Failure(err);
  }
  // The report is written with the other outputs, not by the run itself.
  TaskResult run;
  try {
    TaskRequest request;
    request.code = TaskCode;
    request.values.assign(options.values.begin(), options.values.end());
    run = RunTaskRequest(request);
    if (!run.refusal.empty()) {
      // Data the task cannot take: the desktop's own message.
      err << run.refusal << '\n';
      return 1;
    }
    for (UserOutput& o : options.outputs) o.bytes = o.contents(run);
    WriteOutputs(run.report, options.outputs, out);
  } catch (...) {
    return Failure(err);
  }
  if (options.print) {
    try {
      WriteOutput(out, PrintedReport(run.report));
    } catch (const InOutError& e) {
      err << "reactopt-batch: " << e.Plain() << '\n';
      return 1;
    }
  }
  return 0;
}
