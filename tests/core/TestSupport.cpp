#include "TestSupport.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/Cp1251.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/RunOpt.h"

namespace fs = std::filesystem;

void InTempDir::SetUp() {
  oldCwd_ = fs::current_path().string();
  std::string pattern = (fs::temp_directory_path() / "reactopt-test-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
  fs::current_path(dir_);
}

void InTempDir::TearDown() {
  fs::current_path(oldCwd_);
  std::error_code ec;
  fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(dir_, ec);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

bool FileExists(const std::string& path) { return fs::exists(path); }

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

void SetParams(std::initializer_list<double> values) {
  int j = 1;
  for (double v : values) TaskParams.Slot(j++) = v;
}

std::vector<std::string> RunWith(int code, std::initializer_list<double> params) {
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
