#pragma once
// Windows-1251 is the code page of task statements, of "DataFile.dat" and of
// every report; inside the program all text is UTF-8.

#include <cstddef>
#include <string>
#include <string_view>

namespace cp1251 {

// The Windows-1251 byte of a code point, or -1 when the code page has none.
int FromCodePoint(char32_t c);

// The code point of a Windows-1251 byte. Every byte has one (0x98, unassigned,
// maps to U+0098 as Windows does), so text read this way saves back unchanged.
char32_t ToCodePoint(unsigned char b);

std::string ToUtf8(std::string_view bytes);

// Converts UTF-8 text to Windows-1251. Returns false when a character has no
// byte in the code page; `bad` then receives the first such character and `out`
// is left incomplete.
bool FromUtf8(std::string_view utf8, std::string& out, char32_t* bad = nullptr);

// Decodes the code point at `pos` and advances past it; a malformed sequence
// yields U+FFFD and advances by one byte, so decoding always terminates.
char32_t NextCodePoint(std::string_view utf8, std::size_t& pos);

void AppendUtf8(std::string& out, char32_t c);

}  // namespace cp1251
