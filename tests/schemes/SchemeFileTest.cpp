// Task files: what is read from them, and each fault refused with its line.

#include <gtest/gtest.h>

#include <string>

#include "schemes/Scheme.h"

namespace {

using schemes::ParseScheme;
using schemes::Scheme;
using schemes::SchemeError;

// Lines 1-4 fixed; the reactions on line 5, the inlet from line 7.
std::string File(const std::string& reactions, const std::string& rest) {
  return "title = \"Задача\"\n"
         "reactor = \"plug-flow\"\n"
         "key = \"A\"\n"
         "target = \"R\"\n"
         "reactions = [" +
         reactions + "]\n" + rest;
}

const std::string kParameter = "[[parameter]]\nname = \"k1\"\nlabel = \"Конст. k1\"\noffered = [1, 0.5, 2]\n";

TEST(SchemeFile, ReadsSpeciesInOrderCoefficientsAndParameters) {
  const Scheme s = ParseScheme(File("\"A + 2 B -> R : k1\",\n  \"2R <=> S + A : 0.5, k1\"",
                                    "statement = \"\"\"Схема \\\n    двух реакций\"\"\"\n"
                                    "[inlet]\nA = 1\nB = \"Cb0\"\n[flow]\nvolume = 2\n" +
                                        kParameter + "[[parameter]]\nname = \"Cb0\"\noffered = [1, 0, 3]\n"),
                               "f.toml");
  EXPECT_EQ(s.species, (std::vector<std::string>{"A", "B", "R", "S"}));
  EXPECT_EQ(s.statement, "Схема двух реакций");
  ASSERT_EQ(s.reactions.size(), 2u);
  EXPECT_EQ(s.reactions[0].left[1].coefficient, 2);
  EXPECT_EQ(s.reactions[0].forward.parameter, 0);
  EXPECT_TRUE(s.reactions[1].reversible);
  EXPECT_EQ(s.reactions[1].forward.number, 0.5);
  EXPECT_EQ(s.reactions[1].backward.parameter, 0);
  EXPECT_EQ(s.inlet[1].parameter, 1);
  EXPECT_EQ(s.inlet[2].number, 0);
  EXPECT_EQ(s.flow, schemes::Flow::Volume);
  EXPECT_EQ(s.parameters[0].label, "Конст. k1");
  EXPECT_EQ(s.parameters[1].label, "Cb0");
  EXPECT_EQ(s.parameters[1].offered, (std::vector<double>{1, 0, 3}));
}

struct Refusal {
  const char* name;
  std::string text;
  int line;
  const char* words;
};

class Refusals : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refusals, NameTheLine) {
  const Refusal& c = GetParam();
  try {
    ParseScheme(c.text, "my.toml");
    ADD_FAILURE() << "not refused";
  } catch (const SchemeError& e) {
    EXPECT_EQ(e.line, c.line) << e.what();
    const std::string what = e.what();
    EXPECT_EQ(what.find("my.toml, строка " + std::to_string(c.line)), 0u) << what;
    EXPECT_NE(what.find(c.words), std::string::npos) << what;
  }
}

const std::string kFed = "[inlet]\nA = 1\n";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}
const std::string kSimple = "\"A -> R : k1\"";

std::string Parameters(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i)
    text += "[[parameter]]\nname = \"k" + std::to_string(i) + "\"\noffered = [1, 1, 1]\n";
  return text;
}

std::string Chain(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i)
    text += std::string(i > 1 ? ", " : "") + "\"A -> R : k" + std::to_string(i) + "\"";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, Refusals,
    ::testing::Values(
        Refusal{"Syntax", File(kSimple, "[inlet\nA = 1\n"), 6, "TOML"},
        Refusal{"UnknownKey", File(kSimple, "volume = 3\n" + kFed + kParameter), 6,
                "неизвестный ключ «volume»"},
        Refusal{"UnknownParameterKey", File(kSimple, kFed + kParameter + "unit = \"1/с\"\n"), 12,
                "неизвестный ключ «unit»"},
        Refusal{"UnknownFlowKey", File(kSimple, "[flow]\nrate = 1\n" + kFed + kParameter), 7,
                "неизвестный ключ «rate»"},
        Refusal{"BothFlows", File(kSimple, "[flow]\nfeed = 1\nvolume = 2\n" + kFed + kParameter), 8, "одно"},
        Refusal{"InletNotASpecies", File(kSimple, "[inlet]\nA = 1\nB = 2\n" + kParameter), 8,
                "«B» не встречается"},
        Refusal{"KeyNotASpecies", Replaced(File(kSimple, kFed + kParameter), "key = \"A\"", "key = \"Q\""), 3,
                "«Q»"},
        Refusal{"TargetNotASpecies",
                Replaced(File(kSimple, kFed + kParameter), "target = \"R\"", "target = \"Z\""), 4, "«Z»"},
        Refusal{"ParameterNotDefined", File("\"A -> R : k1\",\n\"R -> S : k9\"", kFed + kParameter), 6,
                "параметр «k9» не определен"},
        Refusal{"ParameterTwice", File(kSimple, kFed + kParameter + kParameter), 13, "определен дважды"},
        Refusal{"SpeciesTwiceOnASide", File("\"A + A -> R : k1\"", kFed + kParameter), 5, "указано дважды"},
        Refusal{"KeyNotFed", File(kSimple, "[inlet]\nR = 1\n" + kParameter), 3, "не подается"},
        Refusal{"KeyFedAtZero", File(kSimple, "[inlet]\nA = 0\n" + kParameter), 7, "не подается"},
        Refusal{"KeyNeverConsumed", File("\"R -> A : k1\"", kFed + kParameter), 3, "не расходуется"},
        Refusal{"TargetNeverFormed", File("\"A -> S : k1\", \"R -> S : k1\"", kFed + kParameter), 4,
                "не образуется"},
        Refusal{"ParameterUnused",
                File(kSimple, kFed + kParameter + "[[parameter]]\nname = \"k2\"\noffered = [1, 1, 1]\n"), 12,
                "«k2» нигде не используется"},
        Refusal{"ElevenParameters", File(Chain(11), kFed + Parameters(11)), 38, "больше 10"},
        Refusal{"TwoOffered", File(kSimple, kFed + "[[parameter]]\nname = \"k1\"\noffered = [1, 2]\n"), 10,
                "три предлагаемых значения"},
        Refusal{"NegativeOffered",
                File(kSimple, kFed + "[[parameter]]\nname = \"k1\"\noffered = [1, -2, 3]\n"), 10,
                "отрицательно"},
        Refusal{"TextOffered",
                File(kSimple, kFed + "[[parameter]]\nname = \"k1\"\noffered = [1, \"2\", 3]\n"), 10,
                "не число"},
        Refusal{"NegativeConstant", File("\"A -> R : -1\"", kFed), 5, "отрицательное значение"},
        Refusal{"NoArrow", File("\"A = R : k1\"", kFed + kParameter), 5, "стрелка"},
        Refusal{"ReversibleOneConstant", File("\"A <=> R : k1\"", kFed + kParameter), 5, "две константы"},
        Refusal{"BadSpeciesName", File("\"a -> R : k1\"", kFed + kParameter), 5, "не вещество"},
        Refusal{"NotInTheCodePage", "title = \"Задача ☺\"\n", 1, "Windows-1251"},
        Refusal{"TextWithoutQuotes", "reactor = \"plug-flow\"\ntitle = Задача\n", 2, "«З» вне кавычек"},
        Refusal{"CyrillicSpecies", File(kSimple, "[inlet]\nА = 1\n" + kParameter), 7, "«А» вне кавычек"},
        Refusal{"NoReactor", "title = \"Задача\"\n", 1, "reactor"}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
