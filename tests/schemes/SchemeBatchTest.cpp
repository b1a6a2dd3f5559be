// reactopt-batch FILE.toml, driven as a teacher's script would drive it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "../core/TestSupport.h"
#include "base/Cp1251.h"
#include "schemes/Scheme.h"

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

const std::string kScheme =
    "title = \"Последовательные реакции\"\n"
    "reactor = \"plug-flow\"\n"
    "key = \"A\"\n"
    "target = \"R\"\n"
    "reactions = [\"A -> R : k1\", \"R -> S : k2\"]\n"
    "[inlet]\nA = 1\n"
    "[[parameter]]\nname = \"k1\"\nlabel = \"Конст. k1, 1/с\"\noffered = [1, 0.5, 2]\n"
    "[[parameter]]\nname = \"k2\"\nlabel = \"Конст. k2, 1/с\"\noffered = [0.5, 1, 2]\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

class SchemeBatch : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    WriteFile("chain.toml", kScheme);
  }
  static Outcome Run(const std::string& args) {
    const std::string command = std::string("'") + REACTOPT_BATCH + "' " + args + " >stdout.txt 2>stderr.txt";
    const int raw = std::system(command.c_str());
    Outcome o{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile("stdout.txt"), ReadFile("stderr.txt")};
    std::remove("stdout.txt");
    std::remove("stderr.txt");
    return o;
  }
  // The engine's own run of the file with these values.
  static schemes::SchemeRun Direct(const std::vector<double>& values) {
    const schemes::Scheme s = schemes::ParseScheme(kScheme, "chain.toml");
    return schemes::RunScheme(s, schemes::ValuesWithDefaults(s, values));
  }
};

TEST_F(SchemeBatch, WritesTheEnginesReportChartAndAnswers) {
  const Outcome o = Run("--chart chart.csv --answer - chain.toml 2");
  ASSERT_EQ(o.status, 0) << o.err;
  const schemes::SchemeRun run = Direct({2});
  EXPECT_EQ(ReadFile("opt.out"), run.report);
  EXPECT_EQ(ReadFile("chart.csv"), schemes::SchemeChartCsv(run));
  EXPECT_EQ(o.out, schemes::SchemeAnswersCsv(run));
  EXPECT_NE(o.out.find("YR,0.6300\n"), std::string::npos);
  EXPECT_TRUE(o.err.empty());
}

TEST_F(SchemeBatch, PrintsTheReportAsUtf8AndTakesAnyCaseOfTheExtension) {
  WriteFile("Chain.TOML", kScheme);
  const Outcome o = Run("--print Chain.TOML");
  ASSERT_EQ(o.status, 0) << o.err;
  std::string lf;
  for (char c : cp1251::ToUtf8(Direct({}).report))
    if (c != '\r') lf += c;
  EXPECT_EQ(o.out, lf);
}

struct ValuesCase {
  const char* name;
  const char* args;
  int status;
  const char* message;         // in standard error; "" for none
  std::vector<double> values;  // the run they make, when it runs
};

class SchemeBatchValues : public SchemeBatch, public ::testing::WithParamInterface<ValuesCase> {};

TEST_P(SchemeBatchValues, FollowTheRulesOfTheBuiltInTasks) {
  const ValuesCase& c = GetParam();
  WriteFile("opt.out", "old");
  const Outcome o = Run(std::string("--answer answers.csv chain.toml ") + c.args);
  EXPECT_EQ(o.status, c.status) << o.err;
  EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
  if (c.status == 0) {
    EXPECT_EQ(ReadFile("opt.out"), Direct(c.values).report);
  } else {
    EXPECT_EQ(ReadFile("opt.out"), "old");
    EXPECT_FALSE(FileExists("answers.csv"));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SchemeBatchValues,
    ::testing::Values(ValuesCase{"Defaults", "", 0, "", {}},
                      ValuesCase{"DecimalComma", "0,5 2", 0, "", {0.5, 2}},
                      ValuesCase{"Negative", "1 -2", 1, "отрицательное значение в поле «Конст. k2, 1/с»", {}},
                      ValuesCase{"TooMany", "1 2 3", 2, "chain.toml takes 2 values, 3 given", {}},
                      ValuesCase{"NotANumber", "1x", 2, "not a number: 1x", {}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(SchemeBatch, RefusesAFaultyOrMissingFileAndKeepsTheReport) {
  WriteFile("opt.out", "old");
  WriteFile("bad.toml", Replaced(kScheme, "plug-flow", "tube"));
  Outcome o = Run("bad.toml");
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.err.find("bad.toml, строка 2"), 0u) << o.err;
  o = Run("missing.toml");
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(o.err.find("missing.toml"), std::string::npos) << o.err;
  o = Run("--chart chain.toml chain.toml");
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.err.find("would overwrite the task file"), std::string::npos) << o.err;
  EXPECT_EQ(ReadFile("opt.out"), "old");
  EXPECT_EQ(ReadFile("chain.toml"), kScheme);
}

}  // namespace
