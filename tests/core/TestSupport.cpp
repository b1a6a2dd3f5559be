#include "TestSupport.h"

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"

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

std::vector<std::string> RunWith(int code, const std::vector<double>& params) {
  SetParams(params);
  TaskCode = code;
  RunCurrentTask();
  EXPECT_TRUE(RunSucceeded);
  return ReportLines();
}

std::string RefusalOf(int code, std::initializer_list<double> params) {
  const std::string previous = "previous report";
  WriteFile("opt.out", previous);
  SetParams(params);
  TaskCode = code;
  std::string message;
  try {
    RunCurrentTask();
    ADD_FAILURE() << code << " ran on data it must refuse";
  } catch (const InvalidDataError& e) {
    message = e.what();
  }
  EXPECT_EQ(ReadFile("opt.out"), previous) << code;
  return message;
}

std::string DataErrorOf(int code, std::initializer_list<double> params) {
  SetParams(params);
  TaskCode = code;
  try {
    RunCurrentTask();
  } catch (const InvalidDataError& e) {
    return e.what();
  }
  return "";
}
