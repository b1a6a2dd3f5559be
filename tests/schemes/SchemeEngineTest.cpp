// The engine of task files against the textbook's closed forms, where its
// sweeps end, the data it refuses, and runs that overlap.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <thread>

#include "base/Errors.h"
#include "schemes/Scheme.h"

namespace {

using schemes::ParseScheme;
using schemes::RunScheme;
using schemes::Scheme;
using schemes::SchemeRun;

// A file with the given reactor and reactions, the key A fed at Ca0 (and
// the lines `inlet` of more species), and parameters k1 ... kn offered as 1.
std::string File(const std::string& reactor, const std::string& reactions, int constants,
                 const std::string& inlet = "", const std::string& flow = "") {
  std::string text = "title = \"Проверка\"\nreactor = \"" + reactor + "\"\nkey = \"A\"\ntarget = \"R\"\n" +
                     "reactions = [" + reactions + "]\n" + flow + "[inlet]\nA = \"Ca0\"\n" + inlet;
  for (int i = 1; i <= constants; ++i)
    text += "[[parameter]]\nname = \"k" + std::to_string(i) + "\"\noffered = [1, 1, 1]\n";
  return text + "[[parameter]]\nname = \"Ca0\"\noffered = [1, 1, 1]\n";
}

SchemeRun RunText(const std::string& text, const std::vector<double>& values) {
  return RunScheme(ParseScheme(text, "t.toml"), values);
}

double Exact(const SchemeRun& run, const std::string& label) {
  for (const schemes::SchemeAnswer& a : run.answers)
    if (a.label == label) return a.exact;
  return NAN;
}

struct ClosedForm {
  double k1, k2, ca0;
};

class ConsecutiveFirstOrder : public ::testing::TestWithParam<ClosedForm> {};

// A -> R -> S: plug flow t = ln(k1/k2)/(k1 - k2), Y = (k1/k2)^(k2/(k2-k1));
// stirred tank t = 1/sqrt(k1 k2), Y = k1/(sqrt k1 + sqrt k2)^2.
TEST_P(ConsecutiveFirstOrder, MatchesTheTextbookOptimumInBothReactors) {
  const ClosedForm c = GetParam();
  const std::string reactions = "\"A -> R : k1\", \"R -> S : k2\"";
  double t = 1 / c.k1, y = std::exp(-1.0);
  if (c.k1 != c.k2) {
    t = std::log(c.k1 / c.k2) / (c.k1 - c.k2);
    y = std::pow(c.k1 / c.k2, c.k2 / (c.k2 - c.k1));
  }
  const SchemeRun plug = RunText(File("plug-flow", reactions, 2), {c.k1, c.k2, c.ca0});
  EXPECT_NEAR(plug.optimumTime, t, 1e-8 * t);
  EXPECT_NEAR(plug.maxYield, y, 1e-8);
  EXPECT_NEAR(plug.optimumConversion, 1 - std::exp(-c.k1 * t), 1e-8);
  EXPECT_NEAR(Exact(plug, "CR"), c.ca0 * y, 1e-8 * c.ca0);
  EXPECT_FALSE(plug.optimumAtEnd);

  const double tt = 1 / std::sqrt(c.k1 * c.k2);
  const double yt = c.k1 / ((std::sqrt(c.k1) + std::sqrt(c.k2)) * (std::sqrt(c.k1) + std::sqrt(c.k2)));
  const SchemeRun tank = RunText(File("stirred-tank", reactions, 2), {c.k1, c.k2, c.ca0});
  EXPECT_NEAR(tank.optimumTime, tt, 1e-8 * tt);
  EXPECT_NEAR(tank.maxYield, yt, 1e-8);
  EXPECT_NEAR(tank.optimumConversion, c.k1 * tt / (1 + c.k1 * tt), 1e-8);
}

INSTANTIATE_TEST_SUITE_P(Data, ConsecutiveFirstOrder,
                         ::testing::Values(ClosedForm{1, 1, 1}, ClosedForm{2, 1, 1}, ClosedForm{1, 2, 1},
                                           ClosedForm{0.5, 0.05, 1}, ClosedForm{10, 0.3, 2.5},
                                           ClosedForm{1, 20, 0.4}));

TEST(SchemeRun, PrintsTheAnswersUnderTheirLabelsAndDigits) {
  const SchemeRun run = RunText(
      File("plug-flow", "\"A -> R : k1\", \"R -> S : k2\"", 2, "", "[flow]\nfeed = 0.5\n"), {1, 1, 1});
  std::vector<std::string> labels;
  for (const auto& a : run.answers) labels.push_back(a.label + "=" + a.value);
  EXPECT_EQ(labels, (std::vector<std::string>{"Xa=0.6321", "YR=0.3679", "t=1.0000", "CA=0.36788",
                                              "CR=0.36788", "CS=0.26424", "V=0.50000"}));
  EXPECT_TRUE(run.answers[1].maximum);
  EXPECT_EQ(schemes::SchemeAnswersCsv(run).substr(0, 23), "label,value\nXa,0.6321\nY");
  // The report: Windows-1251 lines ended by CR LF, and its chart from Xa = 0.
  EXPECT_EQ(run.report.find('\n'), run.report.find('\r') + 1);
  EXPECT_EQ(run.chart.front(), (std::array<double, 3>{0, 1, 0}));
  EXPECT_EQ(run.chart.size(), 21u);
  EXPECT_EQ(run.chart.back()[0], 0.999);
  const std::string csv = schemes::SchemeChartCsv(run);
  EXPECT_EQ(csv.substr(0, 18), "k,x,y1,y2\n0,0,1,0\n");
}

struct TimeText {
  double k;
  const char* t;  // the optimum's residence time, 1/k, as the answers print it
};

class FiveDigits : public ::testing::TestWithParam<TimeText> {};

TEST_P(FiveDigits, KeepFiveSignificantDigitsAtAnyScale) {
  const TimeText c = GetParam();
  const SchemeRun run = RunText(File("plug-flow", "\"A -> R : k1\", \"R -> S : k2\"", 2), {c.k, c.k, 1});
  EXPECT_EQ(run.answers[2].value, c.t);
  EXPECT_EQ(run.answers[0].value, "0.6321");
}

INSTANTIATE_TEST_SUITE_P(Scales, FiveDigits,
                         ::testing::Values(TimeText{0.25, "4.0000"}, TimeText{1e-3, "1000.0"},
                                           TimeText{2e-6, "5.0000E5"}, TimeText{1e-9, "1.0000E9"},
                                           TimeText{8, "0.12500"}, TimeText{1e5, "1.0000E-5"},
                                           TimeText{1 / 99999.6, "1.0000E5"},
                                           TimeText{1 / 9.99996, "10.000"}));

struct SweepEndCase {
  const char* name;
  const char* reactor;
  const char* reactions;
  const char* inlet;  // more of [inlet]
  double last;        // the last conversion reached
  schemes::SweepEnd end;
  bool atEnd;
};

class SweepEnds : public ::testing::TestWithParam<SweepEndCase> {};

TEST_P(SweepEnds, StopWhereTheReactorCanGoNoFurther) {
  const SweepEndCase c = GetParam();
  const SchemeRun run = RunText(File(c.reactor, c.reactions, 2, c.inlet), {2, 1, 1});
  EXPECT_DOUBLE_EQ(run.lastConversion, c.last);
  EXPECT_EQ(run.end, c.end);
  EXPECT_EQ(run.optimumAtEnd, c.atEnd);
  const bool stated = run.report.find("0.999") != std::string::npos;
  EXPECT_EQ(stated, c.last == 0.999);
}

// A <=> R with K = 2 stops below 2/3; A + B -> R with B at 0.5 below 0.5.
INSTANTIATE_TEST_SUITE_P(
    Cases, SweepEnds,
    ::testing::Values(SweepEndCase{"EquilibriumPlug", "plug-flow", "\"A <=> R : k1, k2\"", "", 0.666,
                                   schemes::SweepEnd::Equilibrium, true},
                      SweepEndCase{"EquilibriumTank", "stirred-tank", "\"A <=> R : k1, k2\"", "", 0.666,
                                   schemes::SweepEnd::Equilibrium, true},
                      SweepEndCase{"CoReagentPlug", "plug-flow", "\"A + B -> R : k1\", \"R -> S : k2\"",
                                   "B = 0.5\n", 0.499, schemes::SweepEnd::CoReagent, false},
                      SweepEndCase{"CoReagentTank", "stirred-tank", "\"A + B -> R : k1\", \"A -> S : k2\"",
                                   "B = 0.5\n", 0.999, schemes::SweepEnd::Complete, true},
                      SweepEndCase{"Complete", "plug-flow", "\"A -> R : k1\", \"A -> S : k2\"", "", 0.999,
                                   schemes::SweepEnd::Complete, true}),
    [](const auto& test) { return std::string(test.param.name); });

struct DataRefusal {
  const char* name;
  std::vector<double> values;
  const char* words;
};

class RefusedData : public ::testing::TestWithParam<DataRefusal> {};

TEST_P(RefusedData, NamesTheFieldOrTheCondition) {
  const DataRefusal c = GetParam();
  const Scheme scheme =
      ParseScheme(File("plug-flow", "\"A + B -> R : k1\", \"R -> S : k2\"", 2, "B = 1\n"), "t.toml");
  try {
    RunScheme(scheme, c.values);
    ADD_FAILURE() << "not refused";
  } catch (const InvalidDataError& e) {
    EXPECT_NE(std::string(e.what()).find(c.words), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedData,
    ::testing::Values(DataRefusal{"Negative", {1, -0.5, 1}, "отрицательное значение в поле «k2»"},
                      DataRefusal{"NotFinite", {1, 1, INFINITY}, "не число в поле «Ca0»"},
                      DataRefusal{"KeyNotFed", {1, 1, 0}, "ключевого реагента A на входе"},
                      DataRefusal{"KeyNotConsumed", {0, 1, 1}, "не расходуется"}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(SchemeRun, TakesGivenValuesThenTheFirstOffered) {
  const Scheme scheme = ParseScheme(File("plug-flow", "\"A -> R : k1\", \"R -> S : k2\"", 2), "t.toml");
  EXPECT_EQ(schemes::ValuesWithDefaults(scheme, {3}), (std::vector<double>{3, 1, 1}));
  EXPECT_THROW(schemes::ValuesWithDefaults(scheme, {1, 2, 3, 4}), std::invalid_argument);
  EXPECT_THROW(RunScheme(scheme, {1, 1}), std::invalid_argument);
}

// Two schemes run from two threads at once give the reports each gives alone.
TEST(SchemeRun, RunsThatOverlapGiveTheirOwnReports) {
  const Scheme plug =
      ParseScheme(File("plug-flow", "\"A + B -> R : k1\", \"2R -> S : k2\"", 2, "B = 1.5\n"), "a");
  const Scheme tank = ParseScheme(File("stirred-tank", "\"A -> R : k1\", \"R <=> S : k2, k1\"", 2), "b");
  const std::string alonePlug = RunScheme(plug, {1, 2, 1}).report;
  const std::string aloneTank = RunScheme(tank, {1, 0.5, 1}).report;
  ASSERT_NE(alonePlug, aloneTank);
  int plugDiffers = 0, tankDiffers = 0;
  std::thread other([&] {
    for (int i = 0; i < 20; ++i) tankDiffers += RunScheme(tank, {1, 0.5, 1}).report != aloneTank;
  });
  for (int i = 0; i < 20; ++i) plugDiffers += RunScheme(plug, {1, 2, 1}).report != alonePlug;
  other.join();
  EXPECT_EQ(plugDiffers, 0);
  EXPECT_EQ(tankDiffers, 0);
}

}  // namespace
