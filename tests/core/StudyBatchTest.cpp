// reactopt-batch --study, run as a script runs it.

#include <gtest/gtest.h>

#include <cstdio>

#include "TestSupport.h"
#include "teaching/Study.h"

namespace {

class StudyBatch : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
    WriteFile("dimer-tank.toml", ReadFile(REACTOPT_TASKS_DIR "/dimer-tank.toml"));
  }
};

// The study the core itself gives.
std::string CoreCsv(int code, const std::string& parameter, double low, double high, int count,
                    std::vector<std::optional<double>> values = {}, bool logarithmic = false) {
  teaching::StudyRequest request;
  request.code = code;
  if (code == 0) {
    request.scheme = ReadFile("dimer-tank.toml");
    request.schemeName = "dimer-tank.toml";
  } else {
    request.dataFile = ReadFile("DataFile.dat");
  }
  request.parameter = parameter;
  request.low = low;
  request.high = high;
  request.count = count;
  request.values = std::move(values);
  request.logarithmic = logarithmic;
  return teaching::StudyCsv(teaching::RunStudy(request));
}

}  // namespace

TEST_F(StudyBatch, WritesTheCoresStudyAndNothingElse) {
  struct Case {
    std::string args;
    std::string expected;
  };
  const Case cases[] = {
      {"--study k2=0.5:2:4 101", CoreCsv(101, "k2", 0.5, 2, 4)},
      {"--study 'Конст. k2, 1/с=0,5:2:4' 101", CoreCsv(101, "k2", 0.5, 2, 4)},
      {"--study 1=0:2 103 0.5 0.4", CoreCsv(103, "1", 0, 2, 11, {0.5, 0.4})},
      {"--study k2=0.1:10:3:log --out - dimer-tank.toml 2", CoreCsv(0, "k2", 0.1, 10, 3, {2.0}, true)},
      {"--out /dev/stdout --study W0=0.005:0.02:LOG dimer-tank.toml",
       CoreCsv(0, "W0", 0.005, 0.02, 11, {}, true)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const BatchOutcome o = RunBatch(c.args);
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out, c.expected);
    EXPECT_FALSE(FileExists("opt.out"));
  }
  EXPECT_EQ(RunBatch("--study k2=0.5:2:4 101").out.substr(0, 15), "k2,CRmax,Xa,CS\n");
}

TEST_F(StudyBatch, OutReplacesAFileWholeAndRefusesTheTasksOwnFiles) {
  WriteFile("study.csv", "old");
  const BatchOutcome written = RunBatch("--study k1=0.5:1:3 --out study.csv 101");
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(ReadFile("study.csv"), CoreCsv(101, "k1", 0.5, 1, 3));
  WriteFile("zad101.txt", "statement");
  for (const char* name : {"opt.out", "DataFile.dat", "datafile.DAT", "zad101.txt", "zad102.txt"}) {
    SCOPED_TRACE(name);
    const BatchOutcome o = RunBatch(std::string("--study k1=0.5:1:3 --out ") + name + " 101");
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find("would overwrite"), std::string::npos) << o.err;
  }
  const BatchOutcome own = RunBatch("--study k1=0.5:1:3 --out ./dimer-tank.toml dimer-tank.toml");
  EXPECT_EQ(own.status, 2);
  EXPECT_EQ(ReadFile("dimer-tank.toml"), ReadFile(REACTOPT_TASKS_DIR "/dimer-tank.toml"));
  EXPECT_FALSE(FileExists("opt.out"));
  EXPECT_EQ(ReadFile("zad101.txt"), "statement");
}

TEST_F(StudyBatch, BadUsageExitsWithTwoAndWritesNothing) {
  struct Case {
    std::string args;
    std::string message;  // a part of it
  };
  const Case cases[] = {
      {"--study", "--study needs"},
      {"--study k1=0.5:1", "missing task code"},
      {"--study k1 101", "expected NAME=LO:HI"},
      {"--study =1:2 101", "expected NAME=LO:HI"},
      {"--study k1=1 101", "expected NAME=LO:HI"},
      {"--study k1=1:2:3:4 101", "expected NAME=LO:HI"},
      {"--study k1=a:2 101", "not a number: a"},
      {"--study k1=1:2:-3 101", "count of points"},
      {"--study k1=1:2:1 101", "от 2 до 201"},
      {"--study k1=1:2:202 101", "от 2 до 201"},
      {"--study k1=2:1 101", "меньше верхней"},
      {"--study k1=0:1:log 101", "больше нуля"},
      {"--study k9=1:2 101", "Нет поля «k9»"},
      {"--study k9=1:2 dimer-tank.toml", "Нет поля «k9»"},
      {"--study k1=1:2 --study k2=1:2 101", "one --study"},
      {"--study k1=1:2 --print 101", "does not go with --study"},
      {"--study k1=1:2 --chart c.csv 101", "does not go with --study"},
      {"--study k1=1:2 --out 101", "missing task code"},
      {"--study k1=1:2 --fast 101", "unknown option --fast"},
      {"--study k1=1:2 101 1 2 3", "task 101 takes 2 values"},
      {"--study k1=1:2 dimer-tank.toml 1 2 3 4 5 6", "takes 5 values"},
      {"--study k1=1:2 126", "no task 101-125"},
      {"--study k1=1:2 101 x", "not a number: x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const BatchOutcome o = RunBatch(c.args);
    EXPECT_EQ(o.status, 2);
    EXPECT_EQ(o.out, "");
    EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("usage: reactopt-batch --study"), std::string::npos) << o.err;
  }
  EXPECT_FALSE(FileExists("opt.out"));
  EXPECT_FALSE(FileExists("c.csv"));
}

TEST_F(StudyBatch, AStudyWithoutARunnablePointExitsWithOneNamingWhy) {
  WriteFile("study.csv", "old");
  const BatchOutcome builtIn = RunBatch("--study k2=0.5:1:3 --out study.csv 103 0");
  EXPECT_EQ(builtIn.status, 1);
  EXPECT_NE(builtIn.err.find("no point of the study of k2 could be run"), std::string::npos) << builtIn.err;
  EXPECT_NE(builtIn.err.find("k2 = 0.5: Недопустимые исходные данные: k(1) = 0"), std::string::npos)
      << builtIn.err;
  EXPECT_EQ(ReadFile("study.csv"), "old");
  const BatchOutcome fromFile = RunBatch("--study k1=0:1:3 dimer-tank.toml 1 1 0");
  EXPECT_EQ(fromFile.status, 1);
  EXPECT_NE(fromFile.err.find("на входе равна нулю"), std::string::npos) << fromFile.err;
  // One point that runs is a study.
  EXPECT_EQ(RunBatch("--study k1=0:1:2 103").status, 0);
}

TEST_F(StudyBatch, UnreadableInputsExitWithOne) {
  WriteFile("broken.toml", "title = \"x\"\nreactor = tank\n");
  const BatchOutcome broken = RunBatch("--study k1=1:2 broken.toml");
  EXPECT_EQ(broken.status, 1);
  EXPECT_NE(broken.err.find("broken.toml, строка 2"), std::string::npos) << broken.err;
  const BatchOutcome missing = RunBatch("--study k1=1:2 missing.toml");
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("missing.toml"), std::string::npos) << missing.err;
  std::remove("DataFile.dat");
  const BatchOutcome noData = RunBatch("--study k1=1:2 101 1 1");
  EXPECT_EQ(noData.status, 1);
  EXPECT_NE(noData.err.find("DataFile.dat"), std::string::npos) << noData.err;
}
