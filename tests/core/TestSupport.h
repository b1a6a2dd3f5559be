#pragma once
// Helpers shared by the core tests.

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "BatchProgram.h"
#include "ChildProcess.h"
#include "Files.h"
#include "TempFolder.h"

// Each test runs in a fresh temporary working directory, removed afterwards.
class InTempDir : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string dir_;

 private:
  std::optional<TempFolder> folder_;
};

// Skips a test whose child process found no unprivileged user to run as.
#define SKIP_WITHOUT_UNPRIVILEGED_USER(status) \
  if ((status) == kNoUnprivilegedUser) GTEST_SKIP() << "no user to drop to"

// Windows-1251 bytes of UTF-8 text.
std::string Cp(const std::string& utf8);

// The lines of "opt.out" in UTF-8; fails the test unless every line ends with
// CR LF.
std::vector<std::string> ReportLines();

// P1, P2, ... := values.
void SetParams(const std::vector<double>& values);

// Runs task `code` as the desktop's Run does, with `params` in its first
// slots, and returns the report lines.
std::vector<std::string> RunWith(int code, const std::vector<double>& params);

// Runs task `code` on data it must refuse and returns the refusal's text;
// fails the test when the run is not refused or touches "opt.out".
std::string RefusalOf(int code, std::initializer_list<double> params);

// The message of a run of `code` with `params` refused for its data, or ""
// when it ran.
std::string DataErrorOf(int code, std::initializer_list<double> params);
