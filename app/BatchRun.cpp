#include "BatchRun.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "app/VariantsRun.h"
#include "base/Cp1251.h"
#include "base/Errors.h"
#include "base/NumberText.h"
#include "base/WholeFile.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

namespace {

constexpr const char* kUsage = "usage: reactopt-batch [--print] [--chart FILE] CODE_OR_TASKFILE [P1 ... P10]";

struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Options {
  bool print = false;
  std::string chartFile;
  std::string task;
  std::vector<double> values;
};

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

Options ParseArguments(const std::vector<std::string>& args) {
  Options o;
  std::size_t i = 0;
  for (; i < args.size(); ++i) {
    if (args[i] == "--print") {
      o.print = true;
    } else if (args[i] == "--chart") {
      if (++i == args.size() || args[i].empty()) throw UsageError("--chart needs a file name");
      o.chartFile = args[i];
    } else if (args[i].size() > 2 && args[i].compare(0, 2, "--") == 0) {
      throw UsageError("unknown option " + args[i]);
    } else {
      break;
    }
  }
  if (i == args.size()) throw UsageError("missing task code or task file");
  o.task = args[i++];
  if (args.size() - i > 10) throw UsageError("at most 10 values P1 ... P10");
  for (; i < args.size(); ++i) {
    double v = 0;
    if (!ParseTypedNumber(args[i], v)) throw UsageError("not a number: " + args[i]);
    o.values.push_back(v);
  }
  return o;
}

// Sets TaskCode from the first argument; returns the task file name to report.
void SelectTask(const std::string& task) {
  if (AllDigits(task)) {
    TaskCode = task.size() <= 3 ? std::stoi(task) : 0;
  } else {
    ParseTaskCode(FirstChars(FileNamePart(task), 10));
  }
  if (!FindTask(TaskCode)) throw UsageError("no task 101-125 in " + task);
}

// The slots the command line leaves open take what the data dialog would
// store for the task: the first offered value of each field, through its
// 5-decimal text, or the untouched combo box's own text.
void FillParameters(const std::vector<double>& values) {
  for (std::size_t j = 0; j < values.size(); ++j) TaskParams.Slot(static_cast<int>(j) + 1) = values[j];
  const int k = SlotCount(TaskCode);
  if (static_cast<int>(values.size()) >= k) return;
  ReadTaskData();
  for (int j = static_cast<int>(values.size()) + 1; j <= k; ++j) TaskParams.Slot(j) = DefaultSlotValue(j);
}

// The report this run made, as UTF-8 with LF line ends: from memory, since
// another run may have replaced "opt.out" meanwhile.
std::string PrintedReport() {
  const std::string text = cp1251::ToUtf8(ReportFile.Bytes());
  std::string lf;
  lf.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) lf.push_back(text[i]);
  return lf;
}

// The file's identity, if it exists.
bool Identity(const std::string& path, dev_t& dev, ino_t& ino) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  dev = st.st_dev;
  ino = st.st_ino;
  return true;
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

bool SameFile(const std::string& a, const std::string& b) {
  dev_t devA, devB;
  ino_t inoA, inoB;
  if (Identity(a, devA, inoA) && Identity(b, devB, inoB)) return devA == devB && inoA == inoB;
  const std::string resolved = ResolvedPath(a);
  return !resolved.empty() && resolved == ResolvedPath(b);
}

// The chart must not take the place of a file the run reads or writes.
void CheckChartFile(const Options& o) {
  if (o.chartFile.empty()) return;
  for (const char* file : {kReportFileName, kDataFileName})
    if (SameFile(o.chartFile, file)) throw UsageError("the chart file " + o.chartFile + " is " + file);
  if (!AllDigits(o.task) && SameFile(o.chartFile, o.task))
    throw UsageError("the chart file " + o.chartFile + " is the task file");
}

std::string Number17(double v) {
  char buf[64];
  return std::string(buf, General17(buf, sizeof buf, v));
}

void WriteChart(const std::string& file) {
  const int last = PrepareChartPointCount(TaskCode);
  std::ostringstream csv;
  csv << "k,x,y1,y2\n";
  for (int k = 0; k <= last; ++k)
    csv << k << ',' << Number17(ChartX[k]) << ',' << Number17(ChartY1[k]) << ',' << Number17(ChartY2[k])
        << '\n';
  const std::string bytes = csv.str();
  ReplaceWholeFile(file.c_str(), bytes.data(), bytes.size());
}

// Writes `text` to `out` and flushes it; a failed write is an output error
// the caller reports, with the system's code.
void WriteOutput(std::ostream& out, const std::string& text) {
  errno = 0;
  out << text;
  out.flush();
  if (!out) throw IoError(errno != 0 ? errno : 101);
}

}  // namespace

int BatchMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (variants::AsksForVariants(args)) return variants::VariantsMain(args, out, err);
  Options options;
  try {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
      try {
        WriteOutput(out, std::string(kUsage) + '\n' + variants::kUsage + '\n');
      } catch (const std::runtime_error& e) {
        err << "reactopt-batch: standard output: " << e.what() << '\n';
        return 1;
      }
      return 0;
    }
    options = ParseArguments(args);
    SelectTask(options.task);
    CheckChartFile(options);
  } catch (const UsageError& e) {
    err << "reactopt-batch: " << e.what() << " (" << kUsage << ")\n";
    return 2;
  }
  try {
    FillParameters(options.values);
    RunCurrentTask();
    if (!options.chartFile.empty()) WriteChart(options.chartFile);
  } catch (const std::runtime_error& e) {
    err << e.what() << '\n';
    return 1;
  }
  if (options.print) {
    try {
      WriteOutput(out, PrintedReport());
    } catch (const std::runtime_error& e) {
      err << "reactopt-batch: standard output: " << e.what() << '\n';
      return 1;
    }
  }
  return 0;
}
