// Parameter studies: each point is the optimum a single run gives, a refused
// point is a gap, and bad requests are refused before anything runs.

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "Files.h"
#include "base/Errors.h"
#include "initial_data/TaskData.h"
#include "schemes/Scheme.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "teaching/Study.h"

using namespace teaching;

namespace {

const std::string& DataFile() {
  static const std::string bytes = ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat");
  return bytes;
}

const std::string& DimerTank() {
  static const std::string text = ReadFile(REACTOPT_TASKS_DIR "/dimer-tank.toml");
  return text;
}

StudyRequest BuiltIn(int code, const std::string& parameter, double low, double high, int count) {
  StudyRequest request;
  request.code = code;
  request.dataFile = DataFile();
  request.parameter = parameter;
  request.low = low;
  request.high = high;
  request.count = count;
  return request;
}

StudyRequest OfScheme(const std::string& parameter, double low, double high, int count) {
  StudyRequest request;
  request.scheme = DimerTank();
  request.schemeName = "dimer-tank.toml";
  request.parameter = parameter;
  request.low = low;
  request.high = high;
  request.count = count;
  return request;
}

// A single run of `code` as any front end makes one, the study's parameter
// set to `value` and the other fields as `given` leaves them.
TaskResult SingleRun(int code, std::vector<std::optional<double>> given, int slot, double value) {
  TaskRequest request;
  request.code = code;
  given.resize(static_cast<std::size_t>(SlotCount(code)));
  given[static_cast<std::size_t>(slot - 1)] = value;
  request.values = given;
  request.data = DataSource::Bytes;
  request.dataFile = DataFile();
  return RunTaskRequest(request);
}

TEST(Study, BuiltInPointsAreTheSingleRunsAnswers) {
  struct Case {
    int code;
    std::string parameter;
    double low, high;
    int count;
    std::vector<std::optional<double>> given;
  };
  const Case cases[] = {
      {101, "k2", 0.2, 2, 7, {}},
      {103, "k1", 0.5, 2, 4, {std::nullopt, 0.3}},
      {117, "3", 0.5, 3, 5, {}},
      {111, "1", 0.5, 4, 4, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.code);
    StudyRequest request = BuiltIn(c.code, c.parameter, c.low, c.high, c.count);
    request.values = c.given;
    const Study study = RunStudy(request);
    ASSERT_EQ(study.points.size(), static_cast<std::size_t>(c.count));
    for (const StudyPoint& point : study.points) {
      SCOPED_TRACE(point.value);
      const TaskResult run = SingleRun(c.code, c.given, study.slot, point.value);
      ASSERT_TRUE(run.ran) << run.refusal;
      ASSERT_TRUE(point.ran) << point.refusal;
      EXPECT_EQ(point.conversion, run.optimumConversion);
      ASSERT_EQ(point.answers.size(), run.answers.size());
      for (std::size_t i = 0; i < run.answers.size(); ++i) {
        EXPECT_EQ(study.labels[i], run.answers[i].label);
        EXPECT_EQ(study.questions[i], run.answers[i].question);
        EXPECT_EQ(point.answers[i], run.answers[i].value);
        if (run.answers[i].maximum) {
          EXPECT_EQ(study.maximumAnswer, static_cast<int>(i));
        }
      }
    }
  }
}

TEST(Study, TaskFilePointsAreTheSingleRunsAnswers) {
  StudyRequest request = OfScheme("k2", 0.1, 2, 6);
  request.values = {1.5};
  const Study study = RunStudy(request);
  const schemes::Scheme scheme = schemes::ParseScheme(DimerTank(), "dimer-tank.toml");
  EXPECT_EQ(study.slot, 2);
  EXPECT_EQ(study.parameterKey, "k2");
  EXPECT_EQ(study.parameterLabel, scheme.parameters[1].label);
  ASSERT_EQ(study.points.size(), 6u);
  for (const StudyPoint& point : study.points) {
    SCOPED_TRACE(point.value);
    std::vector<double> values = schemes::ValuesWithDefaults(scheme, {1.5});
    values[1] = point.value;
    const schemes::SchemeRun run = schemes::RunScheme(scheme, values);
    ASSERT_TRUE(point.ran) << point.refusal;
    EXPECT_EQ(point.conversion, run.optimumConversion);
    ASSERT_EQ(point.answers.size(), run.answers.size());
    for (std::size_t i = 0; i < run.answers.size(); ++i) {
      EXPECT_EQ(study.labels[i], run.answers[i].label);
      EXPECT_EQ(point.answers[i], run.answers[i].value);
    }
  }
  EXPECT_EQ(study.labels[static_cast<std::size_t>(study.conversionAnswer)], "Xa");
  EXPECT_EQ(study.labels[static_cast<std::size_t>(study.maximumAnswer)], "YR");
}

TEST(Study, ARefusedPointIsAGapWithTheRunsMessage) {
  // k1 = 0 leaves task 103 without a reaction and the task file without a
  // reagent consumed; the other points run.
  const Study builtIn = RunStudy(BuiltIn(103, "k1", 0, 1, 3));
  const TaskResult refused = SingleRun(103, {}, 1, 0);
  ASSERT_FALSE(refused.refusal.empty());
  const Study fromFile = RunStudy(OfScheme("Ca0", 0, 2, 3));
  for (const Study* study : {&builtIn, &fromFile}) {
    ASSERT_EQ(study->points.size(), 3u);
    EXPECT_FALSE(study->points[0].ran);
    EXPECT_FALSE(study->points[0].refusal.empty());
    EXPECT_TRUE(study->points[0].answers.empty());
    EXPECT_TRUE(study->points[1].ran);
    EXPECT_TRUE(study->points[2].ran);
    EXPECT_FALSE(study->labels.empty());
    const std::string csv = StudyCsv(*study);
    const std::string gap = "0" + std::string(study->labels.size(), ',') + "\n";
    EXPECT_NE(csv.find("\n" + gap), std::string::npos) << csv;
  }
  EXPECT_EQ(builtIn.points[0].refusal, refused.refusal);
}

TEST(Study, LabelsComeFromTheFirstPointThatRunsWhenTheCurrentDataAreRefused) {
  StudyRequest request = BuiltIn(103, "k2", 0.5, 1, 2);
  request.values = {0.0};  // k1 = 0: the task's own data are refused
  const Study planned = PlanStudy(request);
  EXPECT_TRUE(planned.labels.empty());
  const Study study = RunStudy(request);
  EXPECT_FALSE(study.points[0].ran);
  // A study of k1 itself from that point on does run.
  StudyRequest k1 = BuiltIn(103, "k1", 0, 1, 3);
  k1.values = {0.0};
  const Study runs = PlanStudy(k1);
  EXPECT_FALSE(runs.labels.empty());
  EXPECT_EQ(runs.current, 0);
}

TEST(Study, TheParameterIsNamedByLabelSymbolOrNumber) {
  struct Case {
    int code;  // 0: the task file
    std::string name;
    int slot;
    std::string key;
  };
  const Case cases[] = {
      {101, "k2", 2, "k2"},
      {101, "2", 2, "k2"},
      {101, " 1 ", 1, "k1"},
      {101, "Конст. k2, 1/с", 2, "k2"},
      {101, "  Конст. k1, 1/с  ", 1, "k1"},
      {103, "Ca0", 4, "Ca0"},
      {102, "v", 5, "v"},
      {104, "V", 5, "V"},
      {0, "Cb0", 4, "Cb0"},
      {0, "5", 5, "W0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StudyRequest request = c.code ? BuiltIn(c.code, c.name, 0.5, 1, 2) : OfScheme(c.name, 0.5, 1, 2);
    const Study study = PlanStudy(request);
    EXPECT_EQ(study.slot, c.slot);
    EXPECT_EQ(study.parameterKey, c.key);
  }
  const Study byLabel = PlanStudy(OfScheme(PlanStudy(OfScheme("k1", 1, 2, 2)).parameterLabel, 1, 2, 2));
  EXPECT_EQ(byLabel.slot, 1);
}

TEST(Study, TheCurrentValueIsTheGivenOneOrTheFirstOffered) {
  StudyRequest request = BuiltIn(101, "k2", 0.5, 2, 2);
  EXPECT_EQ(PlanStudy(request).current, 1);  // DataFile.dat offers 1, 0.5, 0.2
  request.values = {std::nullopt, 0.7};
  EXPECT_EQ(PlanStudy(request).current, 0.7);
  StudyRequest scheme = OfScheme("k1", 0.5, 2, 2);
  scheme.values = {3};
  EXPECT_EQ(PlanStudy(scheme).current, 3);
}

TEST(Study, BadRequestsAreRefusedNamingTheProblem) {
  struct Case {
    const char* what;
    StudyRequest request;
    std::string message;  // a part of it
  };
  StudyRequest tooMany = BuiltIn(101, "k1", 0.5, 2, 3);
  tooMany.values.assign(3, 1.0);
  StudyRequest schemeTooMany = OfScheme("k1", 0.5, 2, 3);
  schemeTooMany.values.assign(6, 1.0);
  StudyRequest logZero = BuiltIn(101, "k1", 0, 2, 3);
  logZero.logarithmic = true;
  const Case cases[] = {
      {"unknown field", BuiltIn(101, "k9", 0.5, 2, 3), "Нет поля «k9»"},
      {"field number past the task's", BuiltIn(101, "3", 0.5, 2, 3), "Нет поля «3»"},
      {"task file field", OfScheme("k3", 0.5, 2, 3), "Нет поля «k3»"},
      {"no task", BuiltIn(99, "k1", 0.5, 2, 3), "Нет задачи 99"},
      {"one point", BuiltIn(101, "k1", 0.5, 2, 1), "от 2 до 201"},
      {"too many points", BuiltIn(101, "k1", 0.5, 2, 202), "от 2 до 201"},
      {"reversed range", BuiltIn(101, "k1", 2, 0.5, 3), "должна быть меньше верхней"},
      {"empty range", BuiltIn(101, "k1", 1, 1, 3), "должна быть меньше верхней"},
      {"negative low", BuiltIn(101, "k1", -1, 2, 3), "отрицательна"},
      {"not a number", BuiltIn(101, "k1", 0, std::nan(""), 3), "конечными"},
      {"infinite", BuiltIn(101, "k1", 0, HUGE_VAL, 3), "конечными"},
      {"log scale from 0", logZero, "больше нуля"},
      {"more values than fields", tooMany, "принимает 2"},
      {"more values than parameters", schemeTooMany, "принимает 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      PlanStudy(c.request);
      ADD_FAILURE() << "not refused";
    } catch (const StudyError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
    }
  }
  StudyRequest broken = OfScheme("k1", 0.5, 2, 3);
  broken.scheme = "title = \"x\"\nreactor = \"tank\"\n";
  EXPECT_THROW(PlanStudy(broken), schemes::SchemeError);
  StudyRequest noData = BuiltIn(101, "k1", 0.5, 2, 3);
  noData.dataFile = "";
  EXPECT_THROW(PlanStudy(noData), InOutError);
}

TEST(Study, PointsAreEvenlySpacedOnALinearOrALogScale) {
  struct Case {
    double low, high;
    int count;
    bool logarithmic;
    std::vector<double> values;
  };
  const Case cases[] = {
      {0, 1, 11, false, {0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1}},
      {0.5, 2, 4, false, {0.5, 1, 1.5, 2}},
      {1, 16, 5, true, {1, 2, 4, 8, 16}},
      {0.01, 100, 5, true, {0.01, 0.1, 1, 10, 100}},
      {0.3, 0.7, 2, true, {0.3, 0.7}},
  };
  for (const Case& c : cases) {
    StudyRequest request = BuiltIn(101, "k2", c.low, c.high, c.count);
    request.logarithmic = c.logarithmic;
    const Study study = PlanStudy(request);
    std::vector<double> values;
    for (const StudyPoint& point : study.points) {
      values.push_back(point.value);
      EXPECT_FALSE(point.ran);
    }
    EXPECT_EQ(values, c.values) << c.low << ":" << c.high << ":" << c.count;
  }
}

TEST(Study, CsvHasTheKeyAndLabelsThenOneLinePerPoint) {
  const Study study = RunStudy(BuiltIn(101, "Конст. k2, 1/с", 0.5, 1, 2));
  EXPECT_EQ(StudyCsv(study),
            "k2,CRmax,Xa,CS\n"
            "0.5,0.343,0.586,0.243\n"
            "1,0.250,0.500,0.250\n");
}

TEST(Study, RunningInPartsGivesTheWholeStudy) {
  const StudyRequest request = OfScheme("k1", 0.5, 3, 5);
  const Study whole = RunStudy(request);
  Study parts = PlanStudy(request);
  RunStudyPoints(request, parts, 3, 99);
  EXPECT_FALSE(parts.points[0].ran);
  RunStudyPoints(request, parts, 0, 3);
  EXPECT_EQ(StudyCsv(parts), StudyCsv(whole));
}

TEST(Study, StudiesOnTwoThreadsGiveWhatTheyGiveOneAfterAnother) {
  const StudyRequest requests[] = {BuiltIn(103, "k2", 0.1, 1, 15), BuiltIn(101, "k1", 0, 3, 31),
                                   OfScheme("k2", 0.1, 2, 9)};
  std::vector<std::string> alone;
  for (const StudyRequest& r : requests) alone.push_back(StudyCsv(RunStudy(r)));
  // The program's open task is not disturbed either.
  TaskCode = 105;
  TaskParams.P1 = 42;
  std::vector<std::string> together(std::size(requests));
  {
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < std::size(requests); ++i)
      threads.emplace_back([&, i] {
        for (int round = 0; round < 3; ++round) {
          const std::string csv = StudyCsv(RunStudy(requests[i]));
          if (round == 0 || csv != together[i]) together[i] += csv;
        }
      });
    for (std::thread& t : threads) t.join();
  }
  EXPECT_EQ(together, alone);
  EXPECT_EQ(TaskCode, 105);
  EXPECT_EQ(TaskParams.P1, 42);
}

}  // namespace
