// What a run takes and what it gives: data no reactor can have are refused,
// a decimal comma is a point, results no reactor can have are refused, the
// optimum comes as data with the digits the report prints, and the same data
// always give the same report.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <set>

#include "TestSupport.h"
#include "base/Cp1251.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

namespace {

class DataAndAnswers : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  }
  // The defaults the data dialog stores for `code`, labels read.
  static std::vector<double> Defaults(int code) {
    TaskCode = code;
    ReadTaskData();
    std::vector<double> values;
    for (int j = 1; j <= SlotCount(code); ++j) values.push_back(DefaultSlotValue(j));
    return values;
  }
  static void Run(int code, const std::vector<double>& values) {
    for (std::size_t j = 0; j < values.size(); ++j) TaskParams.Slot(static_cast<int>(j) + 1) = values[j];
    TaskCode = code;
    RunCurrentTask();
  }
  static std::string Label(int j) {
    std::string label = cp1251::ToUtf8(TaskFieldTable[j].LabelText);
    label.erase(0, label.find_first_not_of(' '));
    return label.erase(label.find_last_not_of(' ') + 1);
  }
};

const std::string kRefused = "Недопустимые исходные данные: ";

TEST_F(DataAndAnswers, ANegativeOrNonFiniteParameterIsRefusedNamingItsField) {
  for (const TaskEntry& task : AllTasks()) {
    const std::vector<double> defaults = Defaults(task.code);
    for (int j = 1; j <= task.paramSlots; ++j) {
      for (double bad : {-0.5, std::numeric_limits<double>::infinity()}) {
        std::vector<double> values = defaults;
        values[static_cast<std::size_t>(j - 1)] = bad;
        WriteFile("opt.out", "old");
        try {
          Run(task.code, values);
          ADD_FAILURE() << task.code << " took " << bad << " in slot " << j;
        } catch (const InvalidDataError& e) {
          EXPECT_EQ(e.what(), kRefused + (bad < 0 ? "отрицательное значение" : "не число") + " в поле «" +
                                  Label(j) + "»: " + (bad < 0 ? "-0.5" : "inf"));
        }
        EXPECT_EQ(ReadFile("opt.out"), "old");
      }
    }
  }
  // Zero stays: the data file itself offers k3 = 0 for task 102, and a
  // negative zero is zero.
  EXPECT_NO_THROW(Run(102, {1, 0.5, 0, 0.1, 0.01}));
  EXPECT_NO_THROW(Run(101, {1, -0.0}));
}

TEST_F(DataAndAnswers, ATypedValueTakesOneDecimalCommaAsAPoint) {
  const std::map<std::string, double> numbers = {{"0,5", 0.5},     {" 0,5 ", 0.5},  {",5", 0.5},
                                                 {"-2,25", -2.25}, {"1,5e3", 1500}, {"0.5", 0.5}};
  for (const auto& [text, expected] : numbers) {
    double value = 0;
    EXPECT_TRUE(ParseTypedNumber(text, value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  for (const char* text : {"1 000", "1,000.5", "1.000,5", "1,2,3", "0,5,", ",", "0,5x", ""}) {
    double value = 0;
    EXPECT_FALSE(ParseTypedNumber(text, value)) << text;
  }
}

// Which printed results are fractions of the feed, held to [0, 1]; every other
// printed result is an amount, held to be not negative.
TEST_F(DataAndAnswers, EachTaskHoldsItsFractionsToZeroToOne) {
  const std::set<std::string> r101 = {"Xa", "селективность продукта R", "выход R", "CRmax", "CS"};
  const std::set<std::string> r105 = {"XA", "CA", "CR", "CS", "CM", "Xopt"};
  const std::set<std::string> r107 = {"Xa", "Ca", "Cr", "Cs", "Cm"};
  const std::set<std::string> r109 = {"XA", "CA", "CR", "CS"};
  const std::set<std::string> r113 = {"Xa", "Cr", "Cs", "Cd"};
  const std::set<std::string> r119 = {"Xa", "Cr", "Ca", "Cs", "Cd"};
  const std::set<std::string> xaXr = {"Xa", "Xr"};
  auto with = [](std::set<std::string> names, const char* name) { return names.insert(name), names; };
  const std::map<int, std::set<std::string>> fractions = {
      {101, r101},
      {102, {"XA", "CA", "CR", "CS", "CM", "CD"}},
      {103, {"xa", "Xa"}},
      {104, {"Xa", "Xr", "Xaopt"}},
      {105, with(r105, "R")},
      {106, with(r105, "S")},
      {107, r107},
      {108, r107},
      {109, r109},
      {110, r109},
      {111, r101},
      {112, {"Xa", "селективность продукта R", "выход R"}},
      {113, r113},
      {114, r113},
      {115, xaXr},
      {116, xaXr},
      {117, xaXr},
      {118, xaXr},
      {119, r119},
      {120, {"XA", "XS", "S"}},
      {121, {"XA", "XR", "Cr", "Xa"}},
      {122, r119},
      {123, r119},
      {124, r119},
      {125, xaXr},
  };
  for (const TaskEntry& task : AllTasks()) {
    Run(task.code, Defaults(task.code));
    std::set<std::string> found;
    for (const auto& [name, bound] : ReportFile.ResultBounds())
      if (bound != Bound::Amount) found.insert(name);
    EXPECT_EQ(found, fractions.at(task.code)) << task.code;
  }
}

TEST_F(DataAndAnswers, AResultOutsideItsBoundIsRefusedNamingItAndTheConversion) {
  WriteFile("opt.out", "old");
  // k2 / k1 = 200: the stepwise integration of task 111 swings.
  EXPECT_EQ(DataErrorOf(111, {1, 200}),
            kRefused +
                "селективность продукта R = -8033907070.019 при Xa = 0.999 "
                "меньше 0: шаг интегрирования 0.001 слишком велик для этих данных");
  // A stirred tank too large for its fresh feed needs a negative recycle.
  EXPECT_EQ(DataErrorOf(112, {3, 0.3, 3, 3, 0.5}),
            kRefused +
                "отношение объемной скорости рецикла к общей скорости подачи = -0.526 при Xa = 0.760 "
                "меньше 0");
  EXPECT_EQ(ReadFile("opt.out"), "old");
}

// Every task states its optimum; the answers are the report's own digits, on
// the report's own lines, and the conversion answer is the optimum's.
TEST_F(DataAndAnswers, TheAnswersAreTheDigitsTheReportPrints) {
  const double textbook[] = {0.05, 0.1, 0.15, 0.2, 0.25, 0.3, 0.4, 0.5, 0.6, 0.75, 0.8, 1, 1.2, 1.5, 2, 3, 5};
  std::mt19937 random(17);
  int checked = 0;
  ReportFile.KeepInMemory(true);  // thousands of reports: no flush to disk each
  for (const TaskEntry& task : AllTasks()) {
    for (int set = 0; set <= 200; ++set) {
      std::vector<double> values = Defaults(task.code);
      if (set > 0)
        for (double& v : values) v = textbook[random() % std::size(textbook)];
      try {
        Run(task.code, values);
      } catch (const InvalidDataError&) {
        continue;
      }
      std::vector<std::string> lines;
      const std::string text = cp1251::ToUtf8(ReportFile.Bytes());
      for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
      const std::vector<OptimumQuantity> answers = ReportFile.Answers();
      ASSERT_GE(answers.size(), 2u) << task.code;
      // One of them is the maximum the task asks for; task 112 states only
      // the conditions under which its maximum is reached.
      const auto maxima = std::count_if(answers.begin(), answers.end(), [](auto& q) { return q.maximum; });
      EXPECT_EQ(maxima, task.code == 112 ? 0 : 1) << task.code;
      for (const OptimumQuantity& q : answers) {
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& l) {
          return l.size() >= q.line.size() &&
                 l.compare(l.size() - q.line.size(), q.line.size(), q.line) == 0 &&
                 l.find_first_not_of(' ') == l.size() - q.line.size();
        });
        ASSERT_NE(line, lines.end()) << task.code << ": " << q.line;
        const std::size_t at = q.line.find(q.value);
        ASSERT_NE(at, std::string::npos) << q.line;
        EXPECT_TRUE(at + q.value.size() == q.line.size() || q.line[at + q.value.size()] == ' ') << q.line;
        const std::size_t label = q.line.find(q.label);
        if (label != std::string::npos) {
          EXPECT_LT(label, at) << q.line;
        }
        if (q.label == "Xa" || q.label == "XA" || q.label == "Xaopt" || q.label == "Xopt") {
          EXPECT_EQ(q.value, FormatFixed(ReportFile.OptimumConversion(), 0, 3))
              << task.code << ": " << q.line;
        }
      }
      ++checked;
    }
  }
  ReportFile.KeepInMemory(false);
  EXPECT_GT(checked, 25 * 150);
}

TEST_F(DataAndAnswers, TheSameDataGiveTheSameReportWhateverRanBefore) {
  // Each uses the shared pseudo-random sequence: a degenerate secant step of
  // the fixed-point solver, an unknown moved back into its bounds.
  const std::vector<std::pair<int, std::vector<double>>> cases = {
      {118, {0, 1, 1, 1}},
      {103, {0.0636639, 0.000126949, 2475.85, 1.45, 10.6911, 1.8}},
  };
  for (const auto& [code, values] : cases) {
    Run(code, values);
    const std::string first = ReportFile.Bytes();
    Run(120, {12.8491, 0.80967, 7731.27, 0.000128966, 3974.78});
    Run(code, values);
    EXPECT_EQ(ReportFile.Bytes(), first) << code;
  }
}

}  // namespace
