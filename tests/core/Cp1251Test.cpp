// Windows-1251 conversion of report and document text.

#include <gtest/gtest.h>

#include "base/Cp1251.h"

TEST(Cp1251, CyrillicLettersAndSymbolsMapToTheirBytes) {
  std::string out;
  ASSERT_TRUE(cp1251::FromUtf8("Аяё№ A", out));
  EXPECT_EQ(out, "\xC0\xFF\xB8\xB9 A");
  EXPECT_EQ(cp1251::ToUtf8("\xC8\xF1\xF5\xEE\xE4\xED\xFB\xE5"), "Исходные");
}

TEST(Cp1251, EveryByteSurvivesTheRoundTrip) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  std::string back;
  ASSERT_TRUE(cp1251::FromUtf8(cp1251::ToUtf8(all), back));
  EXPECT_EQ(back, all);
}

TEST(Cp1251, ReportsTheFirstCharacterItCannotStore) {
  std::string out;
  char32_t bad = 0;
  EXPECT_FALSE(cp1251::FromUtf8("ok \xE2\x88\x9A and \xE4\xB8\xAD", out, &bad));  // √ and 中
  EXPECT_EQ(bad, U'\u221A');
}

TEST(Cp1251, MalformedUtf8DecodesAsReplacementCharacters) {
  const std::string broken = "a\xC3\xE2\x82\xF0\x9F";
  std::size_t pos = 0;
  std::u32string decoded;
  while (pos < broken.size()) decoded.push_back(cp1251::NextCodePoint(broken, pos));
  EXPECT_EQ(decoded, U"a\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
  pos = 0;
  EXPECT_EQ(cp1251::NextCodePoint("\xC0\x80", pos), U'\uFFFD');  // overlong NUL
}
