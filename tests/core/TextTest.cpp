// The small helpers every layer shares: letter case, digits, codes, the
// statement's title, a typed number read both ways, and a whole write.

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/Text.h"
#include "base/WholeFile.h"
#include "teaching/Decimal.h"

TEST(Text, LowerTouchesOnlyAsciiCapitals) {
  EXPECT_EQ(Lower("DataFile.DAT"), "datafile.dat");
  EXPECT_EQ(Lower("ZAD101.TXT"), "zad101.txt");
  // Windows-1251 and UTF-8 bytes stay as they are.
  EXPECT_EQ(Lower("\xc0\xc1 Задача"), "\xc0\xc1 Задача");
  EXPECT_EQ(Lower("@[`{"), "@[`{");
}

TEST(Text, AllDigitsIsOneOrMoreDigitsAndNothingElse) {
  const struct {
    const char* text;
    bool digits;
  } cases[] = {{"101", true},   {"0", true},   {"", false},    {"10a", false},
               {" 101", false}, {"-1", false}, {"1.5", false}, {"١٠١", false}};
  for (const auto& c : cases) EXPECT_EQ(AllDigits(c.text), c.digits) << c.text;
}

TEST(Text, SortedUniqueKeepsEachCodeOnceInAscendingOrder) {
  EXPECT_EQ(SortedUnique({117, 101, 111, 101, 117}), (std::vector<int>{101, 111, 117}));
  EXPECT_EQ(SortedUnique({}), std::vector<int>{});
}

TEST(Text, TheStatementsTitleIsItsSecondLineTrimmed) {
  const struct {
    const char* statement;
    const char* title;
  } cases[] = {
      {"Задача 101\r\nПоследовательные реакции\r\n\r\nТекст", "Последовательные реакции"},
      {"Задача 101\n  \tРеакции в реакторе \r\n", "Реакции в реакторе"},
      {"Задача 101\r\nЗаголовок без конца строки", "Заголовок без конца строки"},
      {"Задача 101", ""},
      {"Задача 101\r\n   \r\nТекст", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StatementTitle(c.statement), c.title) << c.statement;
}

TEST(Text, ATypedNumberIsReadAsItsValueAndItsDigitsOrNotAtAll) {
  const struct {
    const char* text;
    bool number;
    double value;
    const char* plain;
  } cases[] = {{"0,5", true, 0.5, "0.5"},    {" 2.50 ", true, 2.5, "2.5"}, {"1e-3", true, 0.001, "0.001"},
               {"-3.5", true, -3.5, "-3.5"}, {"abc", false, 0, ""},        {"", false, 0, ""},
               {"1,000.5", false, 0, ""},    {"0,5,", false, 0, ""}};
  for (const auto& c : cases) {
    double value = 0;
    teaching::Decimal digits;
    ASSERT_EQ(teaching::ParseTypedDecimal(c.text, value, digits), c.number) << c.text;
    if (!c.number) continue;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(teaching::PlainText(digits), c.plain) << c.text;
  }
}

TEST(Text, WriteAllWritesEveryByteOrNamesTheFailure) {
  int pipes[2];
  ASSERT_EQ(::pipe(pipes), 0);
  const std::string bytes(3000, 'x');
  EXPECT_EQ(WriteAll(pipes[1], bytes.data(), bytes.size()), 0);
  ::close(pipes[1]);
  std::string read;
  char buf[512];
  for (ssize_t n; (n = ::read(pipes[0], buf, sizeof buf)) > 0;) read.append(buf, static_cast<std::size_t>(n));
  ::close(pipes[0]);
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(WriteAll(-1, bytes.data(), bytes.size(), 5), EBADF);
}
