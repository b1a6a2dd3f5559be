// The teacher's kit: variants drawn from a seed, their answer keys, sheets and
// quiz, and the students' self-check, through reactopt-batch --variants and
// the kit's own interface.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "BatchInProcess.h"
#include "TestSupport.h"
#include "base/Errors.h"
#include "cli/BatchRun.h"
#include "cli/VariantsRun.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "teaching/KitFiles.h"

namespace fs = std::filesystem;
using namespace teaching;

namespace {

class Variants : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    for (const auto& entry : fs::directory_iterator(REACTOPT_TASKS_DIR))
      fs::copy_file(entry.path(), entry.path().filename());
  }
  using Outcome = BatchOutcome;
  static Outcome Batch(const std::vector<std::string>& args) { return BatchInProcess(args); }
};

std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::string cell;
    bool quoted = false;
    for (char c : line) {
      if (c == '"')
        quoted = !quoted;
      else if (c == ',' && !quoted)
        cells.push_back(cell), cell.clear();
      else
        cell += c;
    }
    cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

TEST(Decimal, ReadsAndComputesExactly) {
  const auto d = [](const char* text) {
    Decimal v;
    EXPECT_TRUE(ParseDecimal(text, v)) << text;
    return v;
  };
  const std::vector<std::pair<Decimal, std::string>> cases = {
      {d(" 0,250 "), "0.25"},
      {d("1.5e3"), "1500"},
      {d("-.05"), "-0.05"},
      {Add(d("0.25"), d("0.0005")), "0.2505"},
      {Subtract(d("0.1"), d("0.25")), "-0.15"},
      {Multiply(d("0.00308"), d("0.01")), "0.0000308"},
      {Multiply(d("-2.5"), d("40")), "-100"},
      {HalfUnit(-3), "0.0005"},
  };
  for (const auto& [value, text] : cases) EXPECT_EQ(PlainText(value), text);
  EXPECT_LT(Compare(d("0.2505"), d("0.251")), 0);
  EXPECT_GT(Compare(d("-0.1"), d("-0.2")), 0);
  Decimal v;
  for (const char* bad : {"", ",", "1,2.3", "1e", "1e5000", "0x10", "1 000"})
    EXPECT_FALSE(ParseDecimal(bad, v)) << bad;
}

// The published first outputs of SplitMix64 from the seed 0: the generator is
// that algorithm, the same everywhere.
TEST(Decimal, TheGeneratorIsSplitMix64) {
  SplitMix64 random(0);
  EXPECT_EQ(random.Next(), 0xE220A8397B1DCDAFULL);
  EXPECT_EQ(random.Next(), 0x6E789E6AA1B965F4ULL);
  EXPECT_EQ(random.Next(), 0x06C45D188009454FULL);
}

// Every kept variant, run again through reactopt-batch with its data, prints
// the answers of its row; no two variants share all answers; every optimum
// lies inside the sweep (all default optima here do); every value has at most
// three significant digits and lies within the offered span.
TEST_F(Variants, EveryRowIsWhatTheRunnerPrintsForItsData) {
  for (const char* seed : {"1", "2", "20240901"}) {
    const Outcome o = Batch({"--variants", "30", "--seed", seed, "--out", "kit", "all"});
    ASSERT_EQ(o.status, 0) << o.err;
    for (const TaskEntry& task : AllTasks()) {
      const auto rows = CsvRows(ReadFile("kit/answers-" + std::to_string(task.code) + ".csv"));
      ASSERT_EQ(rows.size(), 31u) << task.code;
      const std::size_t k = static_cast<std::size_t>(task.paramSlots);
      std::set<std::vector<std::string>> answerSets;
      TaskCode = task.code;
      ReadTaskData();
      for (std::size_t r = 1; r < rows.size(); ++r) {
        const std::vector<std::string> data(rows[r].begin() + 1, rows[r].begin() + 1 + static_cast<long>(k));
        const std::vector<std::string> answers(rows[r].begin() + 1 + static_cast<long>(k), rows[r].end());
        for (std::size_t j = 0; j < k; ++j) {
          Decimal v;
          ASSERT_TRUE(ParseDecimal(data[j], v)) << data[j];
          EXPECT_LE(v.SignificantDigits(), 3) << data[j];
          double x = std::stod(data[j]);
          const double* offered = TaskFieldTable[static_cast<int>(j) + 1].Values;
          EXPECT_GE(x, std::min({offered[0], offered[1], offered[2]})) << task.code << " " << data[j];
          EXPECT_LE(x, std::max({offered[0], offered[1], offered[2]})) << task.code << " " << data[j];
        }
        std::vector<std::string> args = {std::to_string(task.code)};
        args.insert(args.end(), data.begin(), data.end());
        ReportFile.KeepInMemory(true);  // 2250 runs: no flush to disk each
        const int status = Batch(args).status;
        ReportFile.KeepInMemory(false);
        ASSERT_EQ(status, 0) << task.code << " row " << r;
        std::vector<std::string> printed;
        for (const OptimumQuantity& q : ReportFile.Answers()) printed.push_back(q.value);
        EXPECT_EQ(printed, answers) << task.code << " row " << r;
        const SweepOptimum& where = ReportFile.Optimum();
        EXPECT_TRUE(where.step != where.firstStep && where.step != where.lastStep && where.step != 0)
            << task.code << " row " << r;
        EXPECT_TRUE(answerSets.insert(answers).second) << task.code << " row " << r;
      }
      TaskCode = task.code;
      ReadTaskData();
    }
  }
}

TEST_F(Variants, TheSameRequestGivesTheSameBytesAndATaskItsOwnVariants) {
  KitRequest request;
  request.codes = {103, 101};
  request.count = 5;
  request.seed = 99;
  KitSources sources = variants::ReadKitSources({101, 103}, ".", "");
  const std::vector<KitFile> first = MakeKit(request, sources), second = MakeKit(request, sources);
  ASSERT_EQ(first.size(), 4u);
  for (std::size_t i = 0; i < first.size(); ++i) EXPECT_EQ(first[i].bytes, second[i].bytes) << first[i].name;
  EXPECT_EQ(first[0].name, "answers-101.csv");
  request.codes = {101};
  EXPECT_EQ(MakeKit(request, sources)[0].bytes, first[0].bytes);
  request.seed = 100;
  EXPECT_NE(MakeKit(request, sources)[0].bytes, first[0].bytes);
}

TEST_F(Variants, RangesSetByNumberOrLabelAndTheirFaults) {
  Outcome o = Batch({"--variants", "8", "--range", "2=0.1:0.3", "--range", " Конст. k1, 1/с=1,5:2", "101"});
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, "variants/answers-101.csv\nvariants/sheets.html\nvariants/moodle.xml\n");
  const auto rows = CsvRows(ReadFile("variants/answers-101.csv"));
  for (std::size_t r = 1; r < rows.size(); ++r) {
    EXPECT_TRUE(rows[r][1] == "1.5" || rows[r][1] == "1.6" || rows[r][1] == "1.7" || rows[r][1] == "1.8" ||
                rows[r][1] == "1.9" || rows[r][1] == "2")
        << rows[r][1];
    EXPECT_TRUE(rows[r][2] == "0.1" || rows[r][2] == "0.2" || rows[r][2] == "0.3") << rows[r][2];
  }
  // Two values of k1 and one of k2 cannot give five different optima.
  o = Batch({"--variants", "5", "--range", "1=1:2", "--range", "2=0.5:0.5", "101"});
  EXPECT_EQ(o.status, 1);
  EXPECT_NE(
      o.err.find("Задача 101 «Последовательные реакции первого порядка в реакторе смешения»: из заданных "
                 "диапазонов получено только 2 различных вариантов из 5"),
      std::string::npos)
      << o.err;
  const std::vector<std::pair<std::vector<std::string>, std::string>> usage = {
      {{"--variants", "3", "--range", "2=0.5", "101"}, "--range needs LABEL_OR_INDEX=LO:HI"},
      {{"--variants", "3", "--range", "2=0.5:x", "101"}, "Диапазон поля «2»: «x» — не число"},
      {{"--variants", "3", "--range", "2=0.5:-1", "101"}, "граница -1 отрицательна"},
      {{"--variants", "3", "--range", "2=2:1", "101"}, "нижняя граница 2 больше верхней 1"},
      {{"--variants", "3", "--range", "7=1:2", "101"}, "Ни у одной из выбранных задач нет поля «7»"},
      {{"--variants", "3", "--tolerance", "5", "101"}, "Допуск «5» должен быть числом от 0 до 0,5"},
      {{"--variants", "3", "126"}, "not a task code 101-125 or a task file NAME.toml: 126"},
      {{"--variants", "3", "--print", "101"}, "unknown option with --variants: --print"},
      {{"--variants", "3"}, "missing task code or task file"},
  };
  for (const auto& [args, message] : usage) {
    o = Batch(args);
    EXPECT_EQ(o.status, 2) << message;
    EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
  }
}

TEST_F(Variants, TheQuizFieldsCarryTheKeyWithItsTolerance) {
  for (const auto& [tolerance, field] : std::vector<std::pair<std::string, std::string>>{
           {"", "{1:NUMERICAL:=0.343:0.0005}"}, {"0.01", "{1:NUMERICAL:=0.343:0.00343}"}}) {
    std::vector<std::string> args = {"--variants", "4", "--key", "--seed", "7", "101", "103"};
    if (!tolerance.empty()) args.insert(args.end(), {"--tolerance", tolerance});
    ASSERT_EQ(Batch(args).status, 0);
    const std::string xml = ReadFile("variants/moodle.xml");
    EXPECT_NE(xml.find(field), std::string::npos) << tolerance;
    // Every field in Moodle's NUMERICAL syntax, in the order of the keys.
    std::vector<std::string> keys;
    for (int code : {101, 103}) {
      const auto rows = CsvRows(ReadFile("variants/answers-" + std::to_string(code) + ".csv"));
      const std::size_t k = static_cast<std::size_t>(SlotCount(code));
      for (std::size_t r = 1; r < rows.size(); ++r)
        keys.insert(keys.end(), rows[r].begin() + 1 + static_cast<long>(k), rows[r].end());
    }
    // Moodle's NUMERICAL syntax: {1:NUMERICAL:=VALUE:TOLERANCE}, both decimal numbers.
    const auto decimal = [](const std::string& t, bool sign) {
      const std::size_t start = sign && !t.empty() && t[0] == '-' ? 1 : 0;
      const std::size_t point = t.find('.');
      return t.size() > start && t.find_first_not_of("0123456789.", start) == std::string::npos &&
             t.find('.', point == std::string::npos ? t.size() : point + 1) == std::string::npos &&
             t[start] != '.' && t.back() != '.';
    };
    std::vector<std::string> fields;
    for (std::size_t at = xml.find('{'); at != std::string::npos; at = xml.find('{', at + 1)) {
      const std::string prefix = "{1:NUMERICAL:=";
      ASSERT_EQ(xml.compare(at, prefix.size(), prefix), 0) << xml.substr(at, 40);
      const std::size_t colon = xml.find(':', at + prefix.size()), close = xml.find('}', at);
      ASSERT_LT(colon, close);
      const std::string value = xml.substr(at + prefix.size(), colon - at - prefix.size());
      // The printed value first; where the exact optimum lies further off, a
      // second right answer "~%100%MIDDLE:HALF_WIDTH" after it.
      const std::size_t other = std::min(xml.find('~', colon), close);
      const std::string tol = xml.substr(colon + 1, other - colon - 1);
      EXPECT_TRUE(decimal(value, true) && decimal(tol, false)) << value << ":" << tol;
      EXPECT_EQ(tol, ToleranceOf(value, tolerance));
      if (other < close) {
        const std::string second = xml.substr(other, close - other);
        const std::size_t split = second.find(':');
        ASSERT_EQ(second.compare(0, 6, "~%100%"), 0) << second;
        EXPECT_TRUE(decimal(second.substr(6, split - 6), true) && decimal(second.substr(split + 1), false))
            << second;
      }
      fields.push_back(value);
    }
    EXPECT_EQ(fields, keys);
    EXPECT_NE(xml.find("<name><text>Задача 103, вариант 4</text></name>"), std::string::npos);
    EXPECT_NE(ReadFile("variants/sheets.html").find("<b>Ответы:</b> <span>CRmax = 0.343</span>"),
              std::string::npos);
  }
}

TEST_F(Variants, TheSelfCheckTakesACommaAndHidesTheKeyUntilAsked) {
  // Task 101 with k1 = 1, k2 = 0.5: CRmax = 0.343, Xa = 0.586, CS = 0.243.
  TaskCode = 105;
  TaskParams.P1 = 7;
  std::vector<CheckedAnswer> checked = CheckAnswers(101, {"1", "0,5"}, {"0,343", "0.587", "abc"}, "", false);
  ASSERT_EQ(checked.size(), 3u);
  EXPECT_TRUE(checked[0].number && checked[0].right);
  EXPECT_TRUE(checked[1].number && !checked[1].right);
  EXPECT_FALSE(checked[2].number || checked[2].right);
  EXPECT_EQ(checked[0].value, "");
  EXPECT_EQ(TaskCode, 105);
  EXPECT_EQ(TaskParams.P1, 7);
  checked = CheckAnswers(101, {"1", "0.5"}, {"0.3435", "0.60", "0.2"}, "0.05", true);
  EXPECT_TRUE(checked[0].right);  // half a unit of the last digit, inclusive
  EXPECT_TRUE(checked[1].right);  // within 5 %
  EXPECT_FALSE(checked[2].right);
  EXPECT_EQ(checked[2].label, "CS");
  EXPECT_EQ(checked[2].value, "0.243");
  EXPECT_EQ(checked[2].tolerance, "0.01215");
  EXPECT_THROW(CheckAnswers(101, {"1"}, {}, "", false), KitRequestError);
  EXPECT_THROW(CheckAnswers(101, {"0", "1"}, {}, "", false), InvalidDataError);
}

TEST_F(Variants, WritesOnlyItsOwnFilesAndReadsNoSpecialFile) {
  fs::create_directory("kit");
  WriteFile("kit/notes.txt", "mine");
  WriteFile("kit/sheets.html", "old");
  ASSERT_EQ(Batch({"--variants", "2", "--out", "kit", "111"}).status, 0);
  EXPECT_EQ(ReadFile("kit/notes.txt"), "mine");
  EXPECT_NE(ReadFile("kit/sheets.html"), "old");
}

TEST_F(Variants, FaultsOfItsFilesAreToldLikeARunsAndLoseNothing) {
  const std::string here = fs::current_path().string();
  struct Case {
    const char* file;   // made before the kit
    std::string bytes;  // "<fifo>" for a FIFO
    std::vector<std::string> args;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"plain", "x", {"--out", "plain"}, "Cannot create file " + here + "/plain: Not a directory"},
      {"fifo1", "<fifo>", {"--out", "fifo1"}, "Cannot create file " + here + "/fifo1: Not a directory"},
      {"DataFile.dat", "<fifo>", {}, "Cannot open file " + here + "/DataFile.dat: это не обычный файл"},
      {"DataFile.dat",
       std::string((1 << 20) + 1, '0'),
       {},
       "cannot read " + here + "/DataFile.dat: file too large (over 1 MB)"},
      // A statement fits a page; the program's own are about 2 KB.
      {"zad111.txt",
       std::string((64 << 10) + 1, 'x'),
       {},
       "cannot read " + here + "/zad111.txt: file too large (over 64 KB)"},
  };
  for (const Case& c : cases) {
    fs::remove(c.file);
    if (c.bytes == "<fifo>")
      ASSERT_EQ(::mkfifo(c.file, 0600), 0);
    else
      WriteFile(c.file, c.bytes);
    std::vector<std::string> args = {"--variants", "2"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("111");
    const Outcome o = Batch(args);
    EXPECT_EQ(o.status, 1) << c.message;
    EXPECT_EQ(o.err, "reactopt-batch: " + c.message + "\n");
    if (c.bytes != "<fifo>") {
      EXPECT_EQ(ReadFile(c.file), c.bytes);
    }
    EXPECT_FALSE(fs::exists("variants"));
    fs::remove(c.file);
    if (fs::exists(fs::path(REACTOPT_TASKS_DIR) / c.file))
      fs::copy_file(fs::path(REACTOPT_TASKS_DIR) / c.file, c.file);
  }
}

TEST_F(Variants, AMissingTaskFileIsNamedByItsPath) {
  fs::remove("zad111.txt");
  try {
    variants::ReadTaskFile("zad111.txt", ".", "elsewhere");
    ADD_FAILURE() << "read a missing file";
  } catch (const InOutError& e) {
    EXPECT_EQ(e.Plain(),
              "File not found: " + fs::current_path().string() + "/zad111.txt (not in elsewhere either)");
  }
}

TEST_F(Variants, TheCountAndTheToleranceHaveOneRuleEach) {
  for (const std::string count : {"0", "-1", "1001", "x"}) {
    const Outcome o = Batch({"--variants", count, "101"});
    EXPECT_EQ(o.status, 2) << count;
    EXPECT_EQ(o.err.substr(0, o.err.find(" (")),
              "reactopt-batch: --variants needs a count 1 to 1000: " + count);
  }
  // A share of the value up to a half, to a millionth at the finest: what a
  // teacher means; anything else is refused the same way.
  for (const std::string tolerance : {"1e-400", "1e-99999", "1", "0.6", "5e-7", "-0.1", "x"}) {
    const Outcome o = Batch({"--variants", "2", "--tolerance", tolerance, "101"});
    EXPECT_EQ(o.status, 2) << tolerance;
    EXPECT_EQ(o.err.substr(0, o.err.find(" (usage")), "reactopt-batch: Допуск «" + tolerance +
                                                          "» должен быть числом от 0 до 0,5 (доля значения) "
                                                          "с не более чем 6 знаками после запятой");
    EXPECT_THROW(CheckAnswers(101, {"1", "0.5"}, {"0.343"}, tolerance, false), KitRequestError) << tolerance;
  }
  for (const std::string tolerance : {"0.5", "0,5", "1e-6", "0"}) {
    EXPECT_EQ(Batch({"--variants", "2", "--tolerance", tolerance, "101"}).status, 0) << tolerance;
    EXPECT_TRUE(CheckAnswers(101, {"1", "0.5"}, {"0.343"}, tolerance, false)[0].right) << tolerance;
  }
}

}  // namespace
