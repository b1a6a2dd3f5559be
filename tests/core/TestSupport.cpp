#include "TestSupport.h"

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"

void InTempDir::SetUp() {
  folder_.emplace();
  dir_ = folder_->path();
  ASSERT_FALSE(dir_.empty()) << "no temporary folder";
}

void InTempDir::TearDown() { folder_.reset(); }

std::string Cp(const std::string& utf8) {
  std::string out;
  EXPECT_TRUE(cp1251::FromUtf8(utf8, out)) << utf8;
  return out;
}

std::vector<std::string> ReportLines() {
  const std::string bytes = ReadFile("opt.out");
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      ADD_FAILURE() << "last line of opt.out has no CR LF";
      lines.push_back(cp1251::ToUtf8(bytes.substr(start)));
      break;
    }
    const std::string line = bytes.substr(start, end - start);
    EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << "stray line break in " << line;
    lines.push_back(cp1251::ToUtf8(line));
    start = end + 2;
  }
  return lines;
}

void SetParams(const std::vector<double>& values) {
  int j = 1;
  for (double v : values) TaskParams.Slot(j++) = v;
}

namespace {

// A run as the desktop's Run makes it: `params` in the first slots, the rest
// as TaskParams holds them, the report written and the shared state left as
// the run leaves it.
TaskResult RunAsTheDesktop(int code, const std::vector<double>& params) {
  SetParams(params);
  TaskRequest request;
  request.code = code;
  for (int j = 1; j <= 10; ++j) request.values.push_back(TaskParams.Slot(j));
  request.data = DataSource::None;
  request.keepSharedState = true;
  request.writeReport = true;
  return RunTaskRequest(request);
}

}  // namespace

std::vector<std::string> RunWith(int code, const std::vector<double>& params) {
  const TaskResult run = RunAsTheDesktop(code, params);
  EXPECT_TRUE(run.ran) << code << ": " << run.refusal;
  return ReportLines();
}

std::string RefusalOf(int code, std::initializer_list<double> params) {
  const std::string previous = "previous report";
  WriteFile("opt.out", previous);
  const TaskResult run = RunAsTheDesktop(code, params);
  EXPECT_FALSE(run.ran) << code << " ran on data it must refuse";
  EXPECT_EQ(ReadFile("opt.out"), previous) << code;
  return run.refusal;
}

std::string DataErrorOf(int code, std::initializer_list<double> params) {
  return RunAsTheDesktop(code, params).refusal;
}
