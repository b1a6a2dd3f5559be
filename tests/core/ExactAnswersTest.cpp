// The exact optimum of the built-in tasks beside their printed answers, and
// the marks it gives: a student who solves a task exactly is marked right by
// the quiz and the self-check, a wrong value still wrong; task files in the
// kit beside the built-in codes.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "BatchInProcess.h"
#include "TestSupport.h"
#include "base/NumberText.h"
#include "cli/BatchRun.h"
#include "schemes/BuiltInTasks.h"
#include "solvers/RunOpt.h"
#include "solvers/TaskRun.h"
#include "teaching/Exact.h"
#include "teaching/KitFiles.h"

namespace fs = std::filesystem;
using namespace teaching;

namespace {

std::string TaskText(const std::string& name) {
  std::ifstream in(std::string(REACTOPT_TASKS_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

KitSources Sources() {
  KitSources sources;
  sources.dataFile = TaskText("DataFile.dat");
  return sources;
}

// The first offered values of a built-in task, in slot order.
std::vector<double> Defaults(int code) {
  const std::string dataFile = TaskText("DataFile.dat");
  const TTaskFieldTable table = ReadTaskFields(code, &dataFile);
  std::vector<double> values;
  for (int j = 1; j <= SlotCount(code); ++j) values.push_back(table[j].Values[0]);
  return values;
}

TaskResult RunTask(int code, const std::vector<double>& values) {
  TaskRequest request;
  request.code = code;
  request.values.assign(values.begin(), values.end());
  request.data = DataSource::None;
  return RunTaskRequest(request);
}

int Decimals(const std::string& printed) {
  const std::size_t point = printed.find('.');
  return point == std::string::npos ? 0 : static_cast<int>(printed.size() - point - 1);
}

std::string Printed(double value, int decimals) {
  char buf[400];
  return std::string(buf, FixedDigits(buf, sizeof buf, value, decimals));
}

Decimal D(const std::string& text) {
  Decimal d;
  EXPECT_TRUE(ParseDecimal(text, d)) << text;
  return d;
}

// Whether Moodle's cloze field `field` ("{1:NUMERICAL:=V:T~%100%V:T}") takes `typed`.
bool ClozeTakes(const std::string& field, const std::string& typed) {
  const std::string prefix = "{1:NUMERICAL:";
  EXPECT_EQ(field.compare(0, prefix.size(), prefix), 0) << field;
  std::istringstream answers(field.substr(prefix.size(), field.size() - prefix.size() - 1));
  for (std::string answer; std::getline(answers, answer, '~');) {
    const std::size_t start = answer[0] == '=' ? 1 : answer.rfind('%') + 1;
    EXPECT_TRUE(answer[0] == '=' || answer.compare(0, 5, "%100%") == 0) << field;
    const std::size_t colon = answer.find(':', start);
    const Decimal value = D(answer.substr(start, colon - start)), tolerance = D(answer.substr(colon + 1));
    if (Compare(Abs(Subtract(D(typed), value)), tolerance) <= 0) return true;
  }
  return false;
}

// The cloze fields of every question of a quiz, question by question.
std::vector<std::vector<std::string>> ClozeFields(const std::string& xml) {
  std::vector<std::vector<std::string>> questions;
  for (std::size_t q = xml.find("<question type=\"cloze\">"); q != std::string::npos;
       q = xml.find("<question type=\"cloze\">", q + 1)) {
    const std::size_t end = xml.find("</question>", q);
    questions.emplace_back();
    for (std::size_t at = xml.find("{1:NUMERICAL:", q); at < end; at = xml.find("{1:NUMERICAL:", at + 1))
      questions.back().push_back(xml.substr(at, xml.find('}', at) - at + 1));
  }
  return questions;
}

TEST(BuiltInTasks, TheShippedTaskFilesAreCompiledIn) {
  int stated = 0;
  for (const TaskEntry& task : AllTasks()) {
    SCOPED_TRACE(task.code);
    const schemes::Scheme* scheme = schemes::BuiltInScheme(task.code);
    const std::string text = TaskText("task" + std::to_string(task.code) + ".toml");
    ASSERT_EQ(scheme != nullptr, !text.empty());
    if (!scheme) continue;
    ++stated;
    const schemes::Scheme file = schemes::ParseScheme(text, "task" + std::to_string(task.code) + ".toml");
    EXPECT_EQ(scheme->title, file.title);
    EXPECT_EQ(scheme->statement, file.statement);
    EXPECT_EQ(scheme->parameters.size(), file.parameters.size());
    EXPECT_EQ(scheme->reactions.size(), file.reactions.size());
  }
  EXPECT_EQ(stated, 24);
  EXPECT_EQ(schemes::BuiltInScheme(112), nullptr);
  EXPECT_EQ(schemes::BuiltInScheme(100), nullptr);

  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(REACTOPT_TASKS_DIR)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".toml" && name.compare(0, 4, "task") != 0) names.push_back(name);
  }
  std::sort(names.begin(), names.end());
  ASSERT_EQ(schemes::ExampleSchemes().size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_EQ(schemes::ExampleSchemes()[i].name + ".toml", names[i]);
    EXPECT_EQ(schemes::ExampleSchemes()[i].text, TaskText(names[i]));
  }
}

// Every answer of every built-in task that a task file states has its exact
// value, and with the default data it lies near the printed one: a label
// mapped to another quantity or another scale would be far off.
TEST(ExactAnswers, EveryAnswerOfEveryStatedTaskNearItsPrintedValue) {
  for (const TaskEntry& task : AllTasks()) {
    SCOPED_TRACE(task.code);
    const std::vector<double> values = Defaults(task.code);
    const TaskResult run = RunTask(task.code, values);
    ASSERT_TRUE(run.ran);
    const std::vector<ExactAnswer> exact = ExactAnswersOf(task.code, values, run.answers);
    if (task.code == 112) {
      EXPECT_TRUE(exact.empty());
      continue;
    }
    ASSERT_EQ(exact.size(), run.answers.size());
    for (std::size_t i = 0; i < exact.size(); ++i) {
      EXPECT_EQ(exact[i].label, run.answers[i].label);
      const double printed = std::stod(run.answers[i].value);
      const double unit = std::pow(10.0, -Decimals(run.answers[i].value));
      EXPECT_LE(std::fabs(exact[i].exact - printed), std::max(0.005 * std::fabs(printed), 6 * unit))
          << exact[i].label << " " << run.answers[i].value << " against " << exact[i].exact;
    }
  }
  // Data the engine refuses give nothing, and so does a task without a file.
  EXPECT_TRUE(ExactAnswersOf(111, {-1, 1}, RunTask(111, Defaults(111)).answers).empty());
  EXPECT_TRUE(ExactAnswersOf(126, {}, {}).empty());
}

TEST(ExactAnswers, TheLineShowsTheMaximumAndItsConversionOneDigitFiner) {
  const struct {
    int code;
    const char* line;
  } cases[] = {
      {111, "Точное решение: CRmax = 0.3679 при Xa = 0.6321"},
      {105, "Точное решение: R = 0.3679 при Xopt = 0.6321"},
      {103, "Точное решение: Fr = 0.003078 при Xa = 0.6077"},
      {104, "Точное решение: Xr = 0.2745 при Xaopt = 0.6627"},
      {112, ""},
  };
  for (const auto& c : cases) {
    const std::vector<double> values = Defaults(c.code);
    EXPECT_EQ(ExactLine(c.code, values, RunTask(c.code, values).answers), c.line) << c.code;
  }
}

TEST(ExactAnswers, WhatIsAcceptedReachesTheExactValue) {
  const struct {
    const char* value;
    std::optional<double> exact;
    const char* relative;
    const char* low;
    const char* high;
    bool widened;
  } cases[] = {
      {"0.250", std::nullopt, "", "0.2495", "0.2505", false},
      {"0.250", 0.2503, "", "0.2495", "0.2505", false},               // within half a unit
      {"0.367", 0.36787944117, "", "0.3665", "0.36838", true},        // above: to the exact and past it
      {"0.632", 0.6308, "", "0.630299", "0.6325", true},              // below
      {"0.367", 0.36787944117, "0.01", "0.36333", "0.37067", false},  // the share covers it already
      {"0.367", 0.39, "0.01", "0.36333", "0.393671", true},           // the share is the floor
      {"1.0005E9", std::nullopt, "", "1000450000", "1000550000", false},
  };
  for (const auto& c : cases) {
    const Acceptance a = AcceptanceOf(c.value, c.exact, c.relative);
    EXPECT_EQ(a.low, c.low) << c.value;
    EXPECT_EQ(a.high, c.high) << c.value;
    EXPECT_EQ(a.widened, c.widened) << c.value;
  }
}

// A class's kit of 30 variants: whoever solves exactly is right in the quiz
// and in the self-check, whether typing the printed digits or more; a value
// two units of the last digit beyond both the printed and the exact value is
// wrong in both.
TEST(ExactAnswers, TheExactOptimumPassesTheQuizAndTheSelfCheckOfEveryVariant) {
  for (int code : {111, 105}) {
    SCOPED_TRACE(code);
    KitRequest request;
    request.codes = {code};
    request.count = 30;
    request.seed = 2024;
    const std::vector<TaskVariants> tasks = DrawVariants(request, Sources());
    const std::vector<std::vector<std::string>> quiz = ClozeFields(KitFiles(tasks, request).back().bytes);
    ASSERT_EQ(quiz.size(), 30u);
    int widened = 0, printedDigitsOff = 0;
    for (const Variant& v : tasks[0].variants) {
      SCOPED_TRACE(v.number);
      std::vector<double> values;
      for (const std::string& text : v.data) values.push_back(std::stod(text));
      const std::vector<ExactAnswer> exact = ExactAnswersOf(code, values, v.answers);
      ASSERT_EQ(exact.size(), v.answers.size());
      ASSERT_EQ(quiz[v.number - 1].size(), v.answers.size());
      bool anyWidened = false;
      std::vector<std::string> asPrinted, finer, beyondLow, beyondHigh;
      for (std::size_t i = 0; i < exact.size(); ++i) {
        const std::string& printed = v.answers[i].value;
        const int decimals = Decimals(printed);
        const double unit = std::pow(10.0, -decimals);
        asPrinted.push_back(Printed(exact[i].exact, decimals));
        finer.push_back(Printed(exact[i].exact, decimals + 2));
        const double p = std::stod(printed);
        beyondLow.push_back(Printed(std::min(p, exact[i].exact) - 2 * unit, decimals + 2));
        beyondHigh.push_back(Printed(std::max(p, exact[i].exact) + 2 * unit, decimals + 2));
        printedDigitsOff += asPrinted.back() != printed;
        const std::string& field = quiz[v.number - 1][i];
        anyWidened |= field.find('~') != std::string::npos;
        EXPECT_TRUE(ClozeTakes(field, asPrinted.back())) << field << " " << asPrinted.back();
        EXPECT_TRUE(ClozeTakes(field, finer.back())) << field << " " << finer.back();
        EXPECT_TRUE(ClozeTakes(field, printed)) << field;
        EXPECT_FALSE(ClozeTakes(field, beyondLow.back())) << field << " " << beyondLow.back();
        EXPECT_FALSE(ClozeTakes(field, beyondHigh.back())) << field << " " << beyondHigh.back();
      }
      widened += anyWidened;
      for (const auto* typed : {&asPrinted, &finer})
        for (const CheckedAnswer& a : CheckAnswers(code, v.data, *typed, "", false))
          EXPECT_TRUE(a.right) << a.label;
      for (const auto* typed : {&beyondLow, &beyondHigh})
        for (const CheckedAnswer& a : CheckAnswers(code, v.data, *typed, "", false))
          EXPECT_FALSE(a.right) << a.label;
    }
    std::printf(
        "task %d: %d of 30 variants accept more than half a unit of the printed digits; %d answers "
        "print other digits exactly\n",
        code, widened, printedDigitsOff);
    EXPECT_GT(widened, 0);
  }
}

// A task file in the kit beside a built-in code: its own answer key, sheets
// that state it (or write the scheme out), quiz questions, and a self-check.
TEST(SchemeKit, ATaskFileIsAVariantTaskLikeTheBuiltInOnes) {
  std::string bare;  // dimer-tank.toml without its statement
  {
    std::istringstream lines(TaskText("dimer-tank.toml"));
    bool inStatement = false;
    for (std::string line; std::getline(lines, line);) {
      const bool opens = line.compare(0, 9, "statement") == 0;
      if (opens || inStatement) {
        if (opens)
          inStatement = line.find("\"\"\"") == line.rfind("\"\"\"");
        else if (line.find("\"\"\"") != std::string::npos)
          inStatement = false;
        continue;
      }
      bare += line + "\n";
    }
  }
  KitSources sources = Sources();
  sources.statements[101] = "";
  sources.schemes["dimer-tank.toml"] = TaskText("dimer-tank.toml");
  sources.schemes["bare.toml"] = bare;
  KitRequest request;
  request.codes = {101};
  request.schemes = {"dimer-tank.toml", "bare.toml"};
  request.count = 4;
  request.key = true;
  const std::vector<TaskVariants> tasks = DrawVariants(request, sources);
  ASSERT_EQ(tasks.size(), 3u);
  EXPECT_EQ(tasks[1].name, "dimer-tank");
  EXPECT_EQ(tasks[1].code, 0);
  const schemes::Scheme scheme = schemes::ParseScheme(sources.schemes["dimer-tank.toml"], "dimer-tank.toml");
  for (const Variant& v : tasks[1].variants) {
    std::vector<double> values;
    for (const std::string& text : v.data) values.push_back(std::stod(text));
    const schemes::SchemeRun run = schemes::RunScheme(scheme, values);
    ASSERT_EQ(v.answers.size(), run.answers.size());
    std::vector<std::string> typed;
    for (std::size_t i = 0; i < run.answers.size(); ++i) {
      EXPECT_EQ(v.answers[i].value, run.answers[i].value);
      EXPECT_EQ(v.answers[i].maximum, run.answers[i].maximum);
      typed.push_back(run.answers[i].value);
    }
    EXPECT_FALSE(run.optimumAtEnd);
    for (const CheckedAnswer& a :
         CheckSchemeAnswers(sources.schemes["dimer-tank.toml"], "dimer-tank.toml", v.data, typed, "", true)) {
      EXPECT_TRUE(a.right) << a.label;
      EXPECT_TRUE(a.low.empty());
    }
  }
  const std::vector<KitFile> files = KitFiles(tasks, request);
  std::vector<std::string> names;
  for (const KitFile& f : files) names.push_back(f.name);
  EXPECT_EQ(names, (std::vector<std::string>{"answers-101.csv", "answers-dimer-tank.csv", "answers-bare.csv",
                                             "sheets.html", "moodle.xml"}));
  EXPECT_TRUE(files[1].bytes.rfind("variant,\"Конст. k1, м3/(кмоль*с)\"", 0) == 0) << files[1].bytes;
  const std::string& sheets = files[3].bytes;
  EXPECT_NE(sheets.find("<span>Задача dimer-tank</span>"), std::string::npos);
  EXPECT_NE(sheets.find(scheme.statement.substr(0, 40)), std::string::npos);
  // Without a statement the sheet writes the scheme out.
  EXPECT_NE(sheets.find("A + B -&gt; R : k1"), std::string::npos);
  EXPECT_NE(sheets.find("реакторе идеального смешения"), std::string::npos);
  EXPECT_NE(sheets.find("На вход подаются A (Ca0 кмоль/м3), B (Cb0 кмоль/м3)"), std::string::npos);
  // ... and says what each parameter is, above the data.
  EXPECT_NE(sheets.find("  k2 - константа скорости реакции 2R -&gt; S\n  Ca0 - концентрация A на входе"),
            std::string::npos);
  EXPECT_NE(sheets.find("Концентрация B на выходе при максимальном выходе R, CB"), std::string::npos);
  EXPECT_NE(files[4].bytes.find("ReactOpt/Задача bare</text>"), std::string::npos);
  for (const std::string& name : names) EXPECT_TRUE(IsKitFileName(name)) << name;

  // The same request gives the same bytes, and a task file's variants do not
  // depend on the other tasks asked for.
  EXPECT_EQ(KitFiles(DrawVariants(request, sources), request)[1].bytes, files[1].bytes);
  KitRequest alone = request;
  alone.codes.clear();
  alone.schemes = {"dimer-tank.toml"};
  EXPECT_EQ(KitFiles(DrawVariants(alone, sources), alone)[0].bytes, files[1].bytes);
}

TEST(SchemeKit, RefusesTaskFilesItCannotNameOrRead) {
  KitSources sources = Sources();
  sources.schemes["broken.toml"] = "title = \"x\"\nreactor = \"tank\"\n";
  const struct {
    const char* name;
    bool kitRequestError;
  } cases[] = {
      {"101.toml", true}, {".hidden.toml", true}, {"a/b.toml", true},
      {"x.txt", true},    {"missing.toml", true}, {"broken.toml", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    KitRequest request;
    request.schemes = {c.name};
    request.count = 2;
    if (c.kitRequestError)
      EXPECT_THROW(DrawVariants(request, sources), KitRequestError);
    else
      EXPECT_THROW(DrawVariants(request, sources), schemes::SchemeError);
  }
  EXPECT_EQ(SchemeStem("Dimer-Tank.TOML"), "Dimer-Tank");
  EXPECT_FALSE(IsKitFileName("answers-.csv"));
  EXPECT_FALSE(IsKitFileName("answers-.x.csv"));
  EXPECT_TRUE(IsKitFileName("answers-dimer-tank.csv"));
  EXPECT_THROW(CheckSchemeAnswers(TaskText("dimer-tank.toml"), "dimer-tank.toml", {"1"}, {}, "", false),
               KitRequestError);
}

class SchemeKitBatch : public InTempDir {};

TEST_F(SchemeKitBatch, TakesTaskFilesBesideCodes) {
  fs::create_directory("mine");
  fs::copy_file(std::string(REACTOPT_TASKS_DIR) + "/dimer-tank.toml", "mine/dimer-tank.toml");
  fs::copy_file(std::string(REACTOPT_TASKS_DIR) + "/DataFile.dat", "DataFile.dat");
  fs::copy_file(std::string(REACTOPT_TASKS_DIR) + "/zad101.txt", "zad101.txt");
  const auto batch = [](const std::vector<std::string>& args) {
    const BatchOutcome o = BatchInProcess(args);
    return std::make_pair(o.status, o.err);
  };
  ASSERT_EQ(batch({"--variants", "3", "mine/dimer-tank.toml", "101"}).first, 0);
  EXPECT_TRUE(fs::exists("variants/answers-dimer-tank.csv"));
  EXPECT_TRUE(fs::exists("variants/answers-101.csv"));
  { std::ofstream("dimer-tank.toml") << TaskText("dimer-tank.toml"); }
  EXPECT_EQ(batch({"--variants", "3", "mine/dimer-tank.toml", "dimer-tank.toml"}).first, 2);
  { std::ofstream("bad.toml") << "title = \"x\"\nkey = A\n"; }
  const auto [status, err] = batch({"--variants", "3", "bad.toml"});
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.find("bad.toml, строка 2"), std::string::npos) << err;
  EXPECT_EQ(batch({"--variants", "3", "missing.toml"}).first, 1);
}

}  // namespace
