#pragma once
// Decimal text of doubles, the same on every platform: the stored binary value
// correctly rounded, exact halves to the even digit. Uses std::to_chars where
// the standard library has it for floating point, printf in the "C" locale
// otherwise (or when REACTOPT_NO_FLOAT_TO_CHARS asks for it); both round the
// same way.

#include <cstddef>
#include <string>

// Fixed notation with `decimals` (0 to 20) digits after the point. Writes at
// most `size` - 1 characters and a NUL; returns the length.
std::size_t FixedDigits(char* buf, std::size_t size, double value, int decimals);

// Shortest form with 17 significant digits, as printf's "%.17g": enough to
// give back the very double.
std::size_t General17(char* buf, std::size_t size, double value);

// The shortest text that reads back as the very double ("0.1", "-1", "1e-300"),
// for naming a value in a message.
std::string ShortestText(double value);
