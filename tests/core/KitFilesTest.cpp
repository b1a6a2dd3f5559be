// What a student is asked for the answers of every task, and the teacher's
// files that ask it: the sheets, the quiz and the self-check use the questions
// the solvers state; a label reads the same in the answer key, the sheets and
// the quiz, and a spreadsheet takes it as text.

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "TestSupport.h"
#include "base/Cp1251.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"
#include "teaching/KitFiles.h"

using namespace teaching;

namespace {

std::vector<std::string> Split(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + separator.size())
    parts.push_back(text.substr(start, at - start));
  parts.push_back(text.substr(start));
  return parts;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

// A symbol: a Latin letter, then Latin letters, digits, "/" or Russian
// lower-case letters as indices ("CAвх"); a Cyrillic look-alike of a Latin
// capital ("Са") or a blank is not one.
bool IsSymbol(const std::string& text) {
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  for (std::size_t pos = 0; pos < text.size();) {
    const char32_t c = cp1251::NextCodePoint(text, pos);
    const bool latin = c < 0x80 && (std::isalnum(static_cast<int>(c)) || c == '/');
    if (!latin && !(c >= 0x430 && c <= 0x44F)) return false;
  }
  return true;
}

// Lower case, the letter o read as the zero it stands for ("Wo" is W0).
std::string SymbolKey(std::string text) {
  for (char& c : text) c = c == 'o' || c == 'O' ? '0' : static_cast<char>(std::tolower(c));
  return text;
}

bool IsLatinSymbol(const std::string& text) {
  if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
  for (char c : text)
    if (!std::isalnum(static_cast<unsigned char>(c))) return false;
  return true;
}

// A question's parts: "what it is, of what and when, SYMBOL[, UNIT]".
struct Asked {
  std::string what, symbol;
  bool hasUnit = false;
};

Asked Parse(const std::string& question) {
  static const std::set<std::string> units = {"кмоль/м3", "кмоль/с", "м3/с", "м3"};
  std::vector<std::string> parts = Split(question, ", ");
  Asked asked;
  asked.hasUnit = parts.size() > 2 && units.count(parts.back()) > 0;
  if (asked.hasUnit) parts.pop_back();
  if (parts.size() < 2) return asked;
  asked.symbol = parts.back();
  asked.what = parts.front();
  return asked;
}

class Questions : public InTempDir {
 protected:
  void SetUp() override {
    InTempDir::SetUp();
    WriteFile("DataFile.dat", ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat"));
  }
  // The answers of a run of `code` with the defaults of the data file.
  static std::vector<OptimumQuantity> DefaultAnswers(int code) {
    TaskCode = code;
    ReadTaskData();
    for (int j = 1; j <= SlotCount(code); ++j) TaskParams.Slot(j) = DefaultSlotValue(j);
    RunCurrentTask();
    return ReportFile.Answers();
  }
};

// A question reads "what it is, of what and when, SYMBOL[, UNIT]": a
// conversion or a fraction of the feed has no unit, an amount has one unless
// it is a ratio; the maximum is asked as the maximum, a conversion as a
// conversion of A, and the symbol is the report's where the report prints one.
TEST_F(Questions, EveryAnswerIsAskedWithItsSymbolAndUnit) {
  ReportFile.KeepInMemory(true);
  for (const TaskEntry& task : AllTasks()) {
    const std::vector<OptimumQuantity> answers = DefaultAnswers(task.code);
    std::map<std::string, Bound> bounds;
    for (const auto& [name, bound] : ReportFile.ResultBounds()) bounds.emplace(name, bound);
    std::set<std::string> questions, symbols;
    for (const OptimumQuantity& q : answers) {
      SCOPED_TRACE(std::to_string(task.code) + " " + q.label + ": " + q.question);
      const auto [what, symbol, hasUnit] = Parse(q.question);
      ASSERT_FALSE(what.empty());
      EXPECT_TRUE(IsSymbol(symbol)) << symbol;
      std::size_t start = 0;
      const char32_t first = cp1251::NextCodePoint(what, start);
      EXPECT_TRUE(first >= 0x410 && first <= 0x42F) << "begins with a capital";
      ASSERT_EQ(bounds.count(q.label), 1u);
      switch (bounds[q.label]) {
        case Bound::Conversion:
          EXPECT_TRUE(StartsWith(what, "Степень конверсии A")) << what;
          EXPECT_FALSE(hasUnit);
          break;
        case Bound::Fraction: EXPECT_FALSE(hasUnit); break;
        case Bound::Amount: EXPECT_EQ(hasUnit, !StartsWith(what, "Отношение")); break;
      }
      EXPECT_EQ(q.maximum, StartsWith(what, "Максимальн"));
      if (IsLatinSymbol(q.label) && q.label.size() > 1) {
        EXPECT_EQ(SymbolKey(symbol), SymbolKey(q.label));
      }
      EXPECT_TRUE(questions.insert(q.question).second) << "asked twice";
      EXPECT_TRUE(symbols.insert(symbol).second) << "symbol used twice";
    }
  }
  ReportFile.KeepInMemory(false);
}

// The kit of every task, two variants each, with the key.
class KitOfAllTasks : public Questions {
 protected:
  static KitSources Sources() {
    KitSources sources;
    sources.dataFile = ReadFile(REACTOPT_TASKS_DIR "/DataFile.dat");
    for (const TaskEntry& task : AllTasks())
      sources.statements[task.code] =
          cp1251::ToUtf8(ReadFile(REACTOPT_TASKS_DIR "/zad" + std::to_string(task.code) + ".txt"));
    return sources;
  }
  static KitRequest Request() {
    KitRequest request;
    for (const TaskEntry& task : AllTasks()) request.codes.push_back(task.code);
    request.count = 2;
    request.seed = 5;
    request.key = true;
    return request;
  }
  static std::string File(const std::vector<KitFile>& files, const std::string& name) {
    for (const KitFile& f : files)
      if (f.name == name) return f.bytes;
    ADD_FAILURE() << name << " missing";
    return "";
  }
};

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (char c : text)
    out += c == '&'   ? "&amp;"
           : c == '<' ? "&lt;"
           : c == '>' ? "&gt;"
           : c == '"' ? "&quot;"
                      : std::string(1, c);
  return out;
}

// Each sheet's list of what to find, and each quiz question's fields, are the
// questions, one line each, and nothing of the report's wording around them;
// the key under them names each answer by the symbol its question asks for.
TEST_F(KitOfAllTasks, TheSheetsAndTheQuizAskTheQuestions) {
  const KitRequest request = Request();
  const std::vector<TaskVariants> tasks = DrawVariants(request, Sources());
  const std::vector<KitFile> files = KitFiles(tasks, request);
  const std::string sheets = File(files, "sheets.html"), quiz = File(files, "moodle.xml");
  const std::vector<std::string> pages = Split(sheets, "<section class=\"sheet\">");
  const std::vector<std::string> clozes = Split(quiz, "<question type=\"cloze\">");
  ASSERT_EQ(pages.size(), 51u);
  ASSERT_EQ(clozes.size(), 51u);
  std::size_t page = 1;
  for (const TaskVariants& task : tasks) {
    for (const Variant& v : task.variants) {
      SCOPED_TRACE(std::to_string(task.code) + " variant " + std::to_string(v.number));
      std::string find = "<h2>Найти</h2>\n<table class=\"find\">\n";
      // Each field takes the printed value first, within half a unit of its
      // last digit; an exact value beyond that adds a second answer.
      std::vector<std::string> fields;
      std::string key = "<div class=\"key\"><b>Ответы:</b> ";
      for (const OptimumQuantity& q : v.answers) {
        find += "<tr><td>" + q.question + "</td><td class=\"blank\"></td></tr>\n";
        key += "<span>" + Parse(q.question).symbol + " = " + q.value + "</span>";
        fields.push_back(
            XmlEscaped("<p>" + q.question + " {1:NUMERICAL:=" + q.value + ":" + ToleranceOf(q.value, "")));
      }
      find += "</table>\n" + key + "</div>\n";
      const std::string& sheet = pages[page];
      const std::string& question = clozes[page];
      EXPECT_NE(sheet.find(find), std::string::npos) << sheet.substr(sheet.find("<h2>Найти"));
      const std::string heading =
          "&lt;p&gt;&lt;b&gt;Найти&lt;/b&gt; (дробную часть отделяйте точкой)&lt;/p&gt;\n";
      std::size_t at = question.find(heading);
      ASSERT_NE(at, std::string::npos);
      at += heading.size();
      for (const std::string& field : fields) {
        EXPECT_EQ(question.substr(at, field.size()), field) << question.substr(at);
        const std::string next = question.substr(at + field.size(), 6);
        EXPECT_TRUE(next[0] == '}' || next == "~%100%") << question.substr(at);
        at = question.find("&lt;/p&gt;\n", at) + 11;
      }
      EXPECT_EQ(question.substr(at, 22), "</text></questiontext>") << question.substr(at);
      ++page;
    }
  }
}

// The self-check asks each answer by the question the sheets print.
TEST_F(KitOfAllTasks, TheSelfCheckAsksTheSameQuestions) {
  const std::vector<OptimumQuantity> run = DefaultAnswers(103);
  const std::vector<CheckedAnswer> checked =
      CheckAnswers(103, {"1", "0.5", "0.2", "1", "2", "0.01"}, {}, "", false);
  ASSERT_EQ(checked.size(), run.size());
  for (std::size_t i = 0; i < run.size(); ++i) EXPECT_EQ(checked[i].question, run[i].question) << i;
  EXPECT_EQ(checked[1].question, "Максимальная производительность реактора по продукту R, Fr, кмоль/с");
}

// A field's label as the data file gives it, in the answer key's header and
// in the data tables of the sheets and the quiz: a label that a spreadsheet
// would run as a formula is taken as text there, and a control character is
// the same blank in all three files.
TEST_F(KitOfAllTasks, ALabelReadsTheSameInTheKeyTheSheetsAndTheQuiz) {
  const struct {
    std::string label, csv, sheet;
  } cases[] = {
      {"=1+2", "\"'=1+2\"", "=1+2"}, {"+k1, 1/с", "\"'+k1, 1/с\"", "+k1, 1/с"},
      {"-k1", "\"'-k1\"", "-k1"},    {"@SUM(A1)", "\"'@SUM(A1)\"", "@SUM(A1)"},
      {"\t=k1", "\"'=k1\"", "=k1"},  {"k1\x01\x1b[2J", "k1  [2J", "k1  [2J"},
      {"k1=2", "k1=2", "k1=2"},      {"k1, 1/с", "\"k1, 1/с\"", "k1, 1/с"},
  };
  KitSources sources = Sources();
  const std::string firstLine = sources.dataFile.substr(0, sources.dataFile.find("\r\n"));
  KitRequest request;
  request.codes = {101};
  request.count = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    std::string label = Cp(c.label);
    label.resize(16, ' ');
    KitSources edited = sources;
    edited.dataFile.replace(0, firstLine.size(), "1 " + label + " 1 0.5 2");
    const std::vector<KitFile> files = MakeKit(request, edited);
    const std::string csv = File(files, "answers-101.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "variant," + c.csv + ",\"Конст. k2, 1/с\",CRmax,Xa,CS");
    const std::string row = "<tr><td>" + c.sheet + "</td><td class=\"num\">";
    EXPECT_NE(File(files, "sheets.html").find(row), std::string::npos);
    EXPECT_NE(File(files, "moodle.xml").find(XmlEscaped(row)), std::string::npos);
  }
}

}  // namespace
