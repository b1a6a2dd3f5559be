// What a student is asked for the answers of every task.

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

#include "TestSupport.h"
#include "base/Cp1251.h"
#include "initial_data/TaskData.h"
#include "solvers/Report.h"
#include "solvers/RunOpt.h"

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
  const std::set<std::string> units = {"кмоль/м3", "кмоль/с", "м3/с", "м3"};
  ReportFile.KeepInMemory(true);
  for (const TaskEntry& task : AllTasks()) {
    const std::vector<OptimumQuantity> answers = DefaultAnswers(task.code);
    std::map<std::string, Bound> bounds;
    for (const auto& [name, bound] : ReportFile.ResultBounds()) bounds.emplace(name, bound);
    std::set<std::string> questions, symbols;
    for (const OptimumQuantity& q : answers) {
      SCOPED_TRACE(std::to_string(task.code) + " " + q.label + ": " + q.question);
      std::vector<std::string> parts = Split(q.question, ", ");
      ASSERT_GE(parts.size(), 2u);
      const bool hasUnit = units.count(parts.back()) > 0;
      if (hasUnit) parts.pop_back();
      const std::string symbol = parts.back();
      parts.pop_back();
      ASSERT_FALSE(parts.empty());
      const std::string what = parts.front();
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

}  // namespace
