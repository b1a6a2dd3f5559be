#pragma once
// Decimal numbers held exactly, as the digits a person reads: the values a
// student is given, the printed answers and their tolerances. Working on the
// digits themselves, not on doubles, makes every drawn value and every
// comparison the same on every platform.

#include <string>
#include <string_view>

namespace teaching {

// sign × digits × 10^exponent; `digits` has no leading or trailing zeros and
// is empty for zero (then the sign is plus and the exponent 0).
struct Decimal {
  bool negative = false;
  std::string digits;
  int exponent = 0;

  bool IsZero() const { return digits.empty(); }
  // The place of the leading digit (0 for units, -1 for tenths); 0 for zero.
  int LeadingPlace() const;
  // The place of the last digit (0 for zero).
  int LastPlace() const { return exponent; }
  int SignificantDigits() const { return static_cast<int>(digits.size()); }
};

// A number written with a decimal point or one decimal comma, optional sign
// and exponent ("0.5", ",5", "2,25", "1e-3"), blanks around it allowed. The
// syntax is the one typed data take; exponents beyond ±1000 are refused.
bool ParseDecimal(std::string_view text, Decimal& out);

// A typed number read both ways at once: its value as the data dialog's OK
// reads it, and its decimal digits. False unless both read it.
bool ParseTypedDecimal(std::string_view text, double& value, Decimal& digits);

// Plain decimal notation without exponent and without trailing zeros:
// "0.05", "12", "-3.5", "0".
std::string PlainText(const Decimal& d);

// -1, 0 or 1 as a is below, equal to or above b.
int Compare(const Decimal& a, const Decimal& b);
Decimal Add(const Decimal& a, const Decimal& b);
Decimal Subtract(const Decimal& a, const Decimal& b);
Decimal Multiply(const Decimal& a, const Decimal& b);
Decimal Abs(Decimal d);

// 5 × 10^(place - 1): half a unit of the digit at `place`.
Decimal HalfUnit(int place);

// The number made of `digits` (decimal, no sign) times 10^exponent.
Decimal FromDigits(std::string_view digits, int exponent);

}  // namespace teaching
