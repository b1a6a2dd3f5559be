// The kit's study question: what a task's maximum becomes when one field is
// multiplied by a factor, asked on every variant, answered in the key, the
// quiz and the self-check, through reactopt-batch --variants and the kit's
// own interface.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "BatchInProcess.h"
#include "TestSupport.h"
#include "cli/BatchRun.h"
#include "cli/VariantsRun.h"
#include "teaching/KitFiles.h"

namespace fs = std::filesystem;
using namespace teaching;

namespace {

class StudyQuestions : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    for (const auto& entry : fs::directory_iterator(REACTOPT_TASKS_DIR))
      fs::copy_file(entry.path(), entry.path().filename());
    sources_ = variants::ReadKitSources({101, 103, 115}, ".", "");
    sources_.schemes["dimer-tank.toml"] = ReadFile("dimer-tank.toml");
  }
  using Outcome = BatchOutcome;
  static Outcome Batch(const std::vector<std::string>& args) { return BatchInProcess(args); }
  // The answers of one run of a variant's data, by the self-check's run.
  std::vector<CheckedAnswer> RunOf(const TaskVariants& task, const std::vector<std::string>& data) const {
    return task.code ? CheckAnswers(task.code, data, {}, "", true)
                     : CheckSchemeAnswers(sources_.schemes.at("dimer-tank.toml"), "dimer-tank.toml", data, {},
                                          "", true);
  }
  KitSources sources_;
};

std::string WithComma(std::string text) {
  const std::size_t point = text.find('.');
  if (point != std::string::npos) text[point] = ',';
  return text;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Each variant's answer is the maximum a single run prints with the field
// multiplied and every other value as the variant has it.
TEST_F(StudyQuestions, TheAnswerIsASingleRunAtTheChangedValue) {
  const struct {
    int code;
    const char* scheme;
    const char* field;
    const char* factor;
    int slot;
    const char* name;
  } cases[] = {
      {101, "", "2", "2", 2, "k2"},
      {103, "", "k2", "0.5", 2, "k2"},
      {115, "", "1", "1.5", 1, "k1"},
      {0, "dimer-tank.toml", "Конст. k1, м3/(кмоль*с)", "3", 1, "k1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.code) + c.scheme + " " + c.field + " × " + c.factor);
    KitRequest request;
    if (c.code) request.codes = {c.code};
    if (*c.scheme) request.schemes = {c.scheme};
    request.count = 4;
    request.seed = 11;
    request.study = StudySetting{c.field, c.factor};
    const TaskVariants task = DrawVariants(request, sources_).front();
    for (const Variant& v : task.variants) {
      ASSERT_TRUE(v.study.has_value());
      const std::size_t at = static_cast<std::size_t>(c.slot - 1);
      const double changed = std::stod(v.study->value);
      EXPECT_NEAR(changed, std::stod(v.data[at]) * std::stod(c.factor), 1e-12 * changed) << v.study->value;
      std::vector<std::string> data = v.data;
      data[at] = v.study->value;
      std::string printed;
      for (const CheckedAnswer& a : RunOf(task, data))
        if (a.label == v.study->answer.label) printed = a.value;
      EXPECT_EQ(v.study->answer.value, printed);
      EXPECT_TRUE(v.study->answer.maximum);
      const std::string tail = std::string(c.name) + " = " + WithComma(v.study->value) + ")?";
      EXPECT_EQ(v.study->question.substr(v.study->question.size() - tail.size()), tail) << v.study->question;
    }
  }
}

// k1 of task 101 from 1e305 to 1e306 times 1000 lies beyond the largest
// double from 2e305 on: those variants' changed runs are refused, and the
// draw goes on to the next data, the same every time.
TEST_F(StudyQuestions, AVariantWhoseChangedRunIsRefusedIsDrawnAgain) {
  KitRequest request;
  request.codes = {101};
  request.count = 6;
  request.ranges = {{"1", "1e305", "1e306"}, {"2", "1e305", "1e306"}};
  const TaskVariants plain = DrawVariants(request, sources_).front();
  request.study = StudySetting{"1", "1000"};
  const std::vector<KitFile> kit = MakeKit(request, sources_);
  EXPECT_EQ(MakeKit(request, sources_)[0].bytes, kit[0].bytes);
  const TaskVariants asked = DrawVariants(request, sources_).front();
  ASSERT_EQ(asked.variants.size(), 6u);
  for (const Variant& v : asked.variants) EXPECT_LT(std::stod(v.data[0]), 1.8e305) << v.data[0];
  int refused = 0;
  for (const Variant& v : plain.variants) {
    const bool kept = std::any_of(asked.variants.begin(), asked.variants.end(),
                                  [&](const Variant& w) { return w.data == v.data; });
    if (std::stod(v.data[0]) < 1.8e305) {
      EXPECT_TRUE(kept) << v.data[0];
      continue;
    }
    EXPECT_FALSE(kept) << v.data[0];
    EXPECT_THROW(CheckAnswers(101, v.data, {}, "", false, request.study, sources_.dataFile), KitRequestError);
    ++refused;
  }
  EXPECT_GT(refused, 0);
}

TEST(StudyQuestionText, SaysHowTheFieldChangesInOneSentence) {
  const OptimumQuantity yield{"CRmax", "0.250", "", true, "Максимальный выход продукта R, CRmax"};
  const std::string head = "Каким станет максимальный выход продукта R, CRmax, если ";
  const struct {
    const char* factor;
    const char* value;
    std::string asked;
  } cases[] = {
      {"2", "0.4", "увеличить k2 вдвое (k2 = 0,4)?"},
      {"0.5", "0.1", "уменьшить k2 вдвое (k2 = 0,1)?"},
      {"3", "0.6", "увеличить k2 втрое (k2 = 0,6)?"},
      {"1,5", "0.3", "увеличить k2 в 1,5 раза (k2 = 0,3)?"},
      {"4", "0.8", "увеличить k2 в 4 раза (k2 = 0,8)?"},
      {"10", "2", "увеличить k2 в 10 раз (k2 = 2)?"},
      {"12", "2.4", "увеличить k2 в 12 раз (k2 = 2,4)?"},
      {"22", "4.4", "увеличить k2 в 22 раза (k2 = 4,4)?"},
      {"0.25", "0.05", "уменьшить k2 в 4 раза (k2 = 0,05)?"},
      {"0.8", "0.16", "уменьшить k2 в 1,25 раза (k2 = 0,16)?"},
      {"0.7", "0.14", "умножить k2 на 0,7 (k2 = 0,14)?"},
  };
  for (const auto& c : cases) EXPECT_EQ(StudyQuestionText(yield, "k2", c.factor, c.value), head + c.asked);
  const OptimumQuantity rate{"Fr", "0.00819", "", true,
                             "Максимальная производительность реактора по продукту R, Fr, кмоль/с"};
  EXPECT_EQ(StudyQuestionText(rate, "v", "0.5", "0.02"),
            "Какой станет максимальная производительность реактора по продукту R, Fr, кмоль/с, если "
            "уменьшить v вдвое (v = 0,02)?");
}

TEST_F(StudyQuestions, BadFieldsAndFactorsAreRefusedByName) {
  const std::string factorRule =
      "» должен быть числом больше 0, не равным 1, не больше 1000 и с не более чем 6 знаками после запятой";
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--study-question", "7", "101"},
       "Вопрос об исследовании: ни у одной из выбранных задач нет поля «7»"},
      {{"--study-question", "V:2", "101", "dimer-tank.toml"}, "нет поля «V»"},
      {{"--study-question", ":2", "101"}, "--study-question needs FIELD[:FACTOR]: :2"},
      {{"--study-question"}, "--study-question needs a value"},
      {{"--study-question", "2:1", "101"}, "множитель «1" + factorRule},
      {{"--study-question", "2:0", "101"}, "множитель «0" + factorRule},
      {{"--study-question", "2:-2", "101"}, "множитель «-2" + factorRule},
      {{"--study-question", "2:x", "101"}, "множитель «x" + factorRule},
      {{"--study-question", "2:", "101"}, "множитель «" + factorRule},
      {{"--study-question", "2:0.0000005", "101"}, "множитель «0.0000005" + factorRule},
      {{"--study-question", "2:1001", "101"}, "множитель «1001" + factorRule},
  };
  for (const auto& [args, message] : cases) {
    std::vector<std::string> all = {"--variants", "2"};
    all.insert(all.end(), args.begin(), args.end());
    const Outcome o = Batch(all);
    EXPECT_EQ(o.status, 2) << message;
    EXPECT_NE(o.err.find(message), std::string::npos) << o.err;
    EXPECT_FALSE(fs::exists("variants")) << message;
  }
  KitRequest request;
  request.codes = {101};
  request.count = 1;
  request.study = StudySetting{"2", "1.0000001"};
  EXPECT_THROW(DrawVariants(request, sources_), KitRequestError);
  EXPECT_THROW(
      CheckAnswers(101, {"1", "0.5"}, {}, "", false, StudySetting{"Подача v, м3/с", "2"}, sources_.dataFile),
      KitRequestError);
}

// The question reaches every file of the kit for the task that has its field
// (103's feed v); task 101, which has none, gets the very files it gets
// without the question.
TEST_F(StudyQuestions, TheKitFilesAskItAndTheSelfCheckMarksIt) {
  const std::vector<std::string> common = {"--variants", "3", "--key", "--seed", "4", "--tolerance", "0.01"};
  std::vector<std::string> args = common;
  args.insert(args.end(), {"--out", "plain", "101", "103"});
  ASSERT_EQ(Batch(args).status, 0);
  args = common;
  args.insert(args.end(), {"--study-question", " Подача v, м3/с:0,5", "101", "103"});
  const Outcome o = Batch(args);
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(ReadFile("variants/answers-101.csv"), ReadFile("plain/answers-101.csv"));

  const std::vector<std::string> key = Lines(ReadFile("variants/answers-103.csv"));
  ASSERT_EQ(key.size(), 4u);
  const std::string header = key[0];
  EXPECT_EQ(header.substr(header.rfind(",Fr,")), ",Fr,Са,Св,Cr,Cs,Сt,Fr при v × 0.5");
  const std::vector<std::string> before = Lines(ReadFile("plain/answers-103.csv"));

  const std::string sheets = ReadFile("variants/sheets.html");
  const std::string xml = ReadFile("variants/moodle.xml");
  EXPECT_EQ(Count(sheets, "<tr class=\"study\">"), 3u);
  EXPECT_EQ(system("xmllint --noout variants/moodle.xml"), 0);
  const std::string dataFile = ReadFile("DataFile.dat");
  for (std::size_t r = 1; r < key.size(); ++r) {
    SCOPED_TRACE(key[r]);
    std::vector<std::string> cells;
    std::istringstream row(key[r]);
    for (std::string cell; std::getline(row, cell, ',');) cells.push_back(cell);
    ASSERT_EQ(cells.size(), 15u);
    const std::vector<std::string> data(cells.begin() + 1, cells.begin() + 7);
    const std::string answer = cells.back();
    const std::string changed = teaching::PlainText([&] {
      Decimal v, half;
      ParseDecimal(data[5], v);
      ParseDecimal("0.5", half);
      return Multiply(v, half);
    }());
    const std::string question =
        "Какой станет максимальная производительность реактора по продукту R, Fr, кмоль/с, если уменьшить v "
        "вдвое (v = " +
        WithComma(changed) + ")?";
    EXPECT_NE(sheets.find("<tr class=\"study\"><td>" + question + "</td><td class=\"blank\"></td></tr>"),
              std::string::npos);
    EXPECT_NE(sheets.find("<span>Fr при v × 0.5 = " + answer + "</span></div>"), std::string::npos);
    EXPECT_NE(xml.find(question + " {1:NUMERICAL:=" + answer + ":" + ToleranceOf(answer, "0.01") + "}"),
              std::string::npos);
    // The rest of the row is the row drawn without the question.
    EXPECT_EQ(key[r].substr(0, key[r].rfind(',')), before[r]);

    const StudySetting study{"v", "0.5"};
    std::vector<std::string> typed(7, "");
    typed.push_back(answer);
    std::vector<CheckedAnswer> checked = CheckAnswers(103, data, typed, "", true, study, dataFile);
    ASSERT_EQ(checked.size(), 8u);
    EXPECT_TRUE(checked.back().right);
    EXPECT_EQ(checked.back().question, question);
    EXPECT_EQ(checked.back().label, "Fr при v × 0.5");
    typed.back() = "1";
    EXPECT_FALSE(CheckAnswers(103, data, typed, "", false, study, dataFile).back().right);
  }
}

}  // namespace
