// Whole reports of worked examples and edge cases, each against its file in
// tests/core/golden/: the report in UTF-8 with LF line ends ("opt.out" itself
// is Windows-1251 with CR LF, which RunWith checks line by line).
//
// After a deliberate change of a report, rewrite the files from this build and
// read their diff before committing:
//   REACTOPT_UPDATE_GOLDEN=1 core_tests --gtest_filter='*GoldenReports*'

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace {

struct GoldenCase {
  int code;
  std::vector<double> params;
  const char* file;  // in tests/core/golden/, without ".txt"
};

// Worked examples, and data whose last digits or signs depend on the extended
// type's rounding (a half, a vanishing value).
const GoldenCase kCases[] = {
    {101, {1, 1}, "101_equal_constants"},
    {101, {1, 0}, "101_no_second_reaction"},
    {102, {1, 0.5, 0.2, 0.1, 0.01}, "102_example"},
    {103, {1, 0.5, 0.2, 1, 2, 0.01}, "103_worked_example"},
    {104, {1, 0.5, 1, 0.8, 1}, "104_example"},
    {105, {1, 1, 0, 1}, "105_equal_constants"},
    {105, {0.2, 2, 2, 2}, "105_vanishing_signs"},
    {106, {1, 0, 0.3, 1}, "106_no_s"},
    {107, {0.1, 0.1, 0.1, 0.05}, "107_feed_rate_on_a_half"},
    {108, {1, 1, 1, 1}, "108_equal_constants"},
    {109, {1, 0, 0, 0, 1}, "109_first_reaction_only"},
    {109, {0.1, 0.1, 0.05, 3, 0.1}, "109_vanishing_sign"},
    {110, {1, 0, 0.2, 0.1, 1}, "110_no_s"},
    {111, {1, 1}, "111_equal_constants"},
    {111, {0.25, 3}, "111_vanishing_yield"},
    {112, {1, 1, 1, 0.01, 1}, "112_recycle_example"},
    {112, {3, 0.3, 3, 3, 2}, "112_selectivity_on_a_half"},
    {113, {0.7, 0.3, 0.2}, "113_example"},
    {114, {0.7, 0.3, 0.2}, "114_example"},
    {115, {1, 1, 1, 1}, "115_sweep_ended_by_b"},
    {115, {0.25, 1.5, 1.5, 1.5}, "115_concentration_on_a_half"},
    {116, {0.25, 1.5, 0.05, 0.3}, "116_concentration_on_a_half"},
    {117, {1, 1, 0.5, 1}, "117_back_reaction"},
    {117, {0.5, 3, 3, 0.5}, "117_yield_on_a_half"},
    {118, {0.5, 0.1, 0.05, 1}, "118_worked_example"},
    {119, {1, 1, 1}, "119_sweep_ended_by_b"},
    {120, {0.5, 1, 0.05, 1, 1.5}, "120_example"},
    {121, {1, 1, 1, 1}, "121_example"},
    {123, {2, 0.5, 0.2}, "123_example"},
    {124, {1, 1, 1}, "124_example"},
    {125, {0.5, 0.1, 0.05, 1}, "125_worked_example"},
};

// Names the case in failures instead of dumping its bytes.
void PrintTo(const GoldenCase& c, std::ostream* os) { *os << c.file; }

std::string GoldenPath(const GoldenCase& c) { return std::string(REACTOPT_GOLDEN_DIR "/") + c.file + ".txt"; }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// Where `actual` first departs from `expected`, or "" when they agree.
std::string FirstDifference(const std::vector<std::string>& expected,
                            const std::vector<std::string>& actual) {
  const std::size_t common = std::min(expected.size(), actual.size());
  for (std::size_t i = 0; i < common; ++i) {
    if (expected[i] != actual[i])
      return "line " + std::to_string(i + 1) + " differs\n  expected: \"" + expected[i] +
             "\"\n  actual:   \"" + actual[i] + "\"";
  }
  if (expected.size() == actual.size()) return "";
  const bool longer = actual.size() > expected.size();
  return "the report has " + std::to_string(actual.size()) + " lines, the golden file " +
         std::to_string(expected.size()) + "; line " + std::to_string(common + 1) + " is only in the " +
         (longer ? "report: \"" + actual[common] + "\"" : "golden file: \"" + expected[common] + "\"");
}

class GoldenReports : public InTempDir, public ::testing::WithParamInterface<GoldenCase> {};

TEST_P(GoldenReports, MatchTheFile) {
  const GoldenCase& c = GetParam();
  const std::vector<std::string> actual = RunWith(c.code, c.params);
  if (std::getenv("REACTOPT_UPDATE_GOLDEN") != nullptr) {
    std::string text;
    for (const std::string& line : actual) text += line + "\n";
    ASSERT_TRUE(WriteFile(GoldenPath(c), text)) << GoldenPath(c);
    return;
  }
  ASSERT_TRUE(FileExists(GoldenPath(c))) << GoldenPath(c) << " is missing";
  const std::string difference = FirstDifference(SplitLines(ReadFile(GoldenPath(c))), actual);
  if (!difference.empty())
    ADD_FAILURE() << "task " << c.code << " against " << GoldenPath(c) << ": " << difference;
}

INSTANTIATE_TEST_SUITE_P(Tasks, GoldenReports, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<GoldenCase>& param) {
                           return std::string("Task") + param.param.file;
                         });

}  // namespace
