#include "Decimal.h"

#include <algorithm>

#include "initial_data/TaskData.h"

namespace teaching {

namespace {

constexpr int kMaxExponent = 1000;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Strips leading and trailing zeros, moving the exponent with the latter.
Decimal Normalized(bool negative, std::string digits, int exponent) {
  const std::size_t first = digits.find_first_not_of('0');
  if (first == std::string::npos) return {};
  digits.erase(0, first);
  const std::size_t last = digits.find_last_not_of('0');
  exponent += static_cast<int>(digits.size() - 1 - last);
  digits.erase(last + 1);
  return {negative, std::move(digits), exponent};
}

// The magnitude of `d` as digits at `place` (place <= d.exponent).
std::string DigitsAt(const Decimal& d, int place) {
  return d.digits + std::string(static_cast<std::size_t>(d.exponent - place), '0');
}

// Compares two digit strings of magnitudes at one place.
int CompareDigits(const std::string& a, const std::string& b) {
  const std::size_t fa = std::min(a.find_first_not_of('0'), a.size());
  const std::size_t fb = std::min(b.find_first_not_of('0'), b.size());
  const std::size_t la = a.size() - fa, lb = b.size() - fb;
  if (la != lb) return la < lb ? -1 : 1;
  const int c = a.compare(fa, la, b, fb, lb);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

std::string AddDigits(const std::string& a, const std::string& b) {
  std::string out;
  int carry = 0;
  for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
    int sum = carry;
    if (i < a.size()) sum += a[a.size() - 1 - i] - '0';
    if (i < b.size()) sum += b[b.size() - 1 - i] - '0';
    out.push_back(static_cast<char>('0' + sum % 10));
    carry = sum / 10;
  }
  std::reverse(out.begin(), out.end());
  return out;
}

// a - b for a >= b.
std::string SubtractDigits(const std::string& a, const std::string& b) {
  std::string out;
  int borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    int diff = a[a.size() - 1 - i] - '0' - borrow;
    if (i < b.size()) diff -= b[b.size() - 1 - i] - '0';
    borrow = diff < 0;
    out.push_back(static_cast<char>('0' + (diff + 10) % 10));
  }
  std::reverse(out.begin(), out.end());
  return out;
}

Decimal Signed(Decimal d, bool negative) {
  if (!d.IsZero()) d.negative = negative;
  return d;
}

}  // namespace

int Decimal::LeadingPlace() const { return IsZero() ? 0 : exponent + static_cast<int>(digits.size()) - 1; }

bool ParseDecimal(std::string_view text, Decimal& out) {
  const auto blank = [](char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
  };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string digits;
  int fraction = 0;
  bool separator = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      digits.push_back(text[i]);
      if (separator) ++fraction;
    } else if ((text[i] == '.' || text[i] == ',') && !separator) {
      separator = true;
    } else {
      break;
    }
  }
  if (digits.empty()) return false;
  long exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    bool minus = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) minus = text[i++] == '-';
    if (i == text.size()) return false;
    for (; i < text.size() && IsDigit(text[i]); ++i)
      exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
    if (minus) exponent = -exponent;
  }
  if (i != text.size()) return false;
  if (exponent > kMaxExponent || exponent < -kMaxExponent) return false;
  out = Normalized(negative, std::move(digits), static_cast<int>(exponent) - fraction);
  return true;
}

std::string PlainText(const Decimal& d) {
  if (d.IsZero()) return "0";
  std::string text;
  if (d.exponent >= 0) {
    text = DigitsAt(d, 0);
  } else {
    const std::size_t point = static_cast<std::size_t>(-d.exponent);
    std::string digits = d.digits;
    if (digits.size() <= point) digits.insert(0, point - digits.size() + 1, '0');
    text = digits.substr(0, digits.size() - point) + "." + digits.substr(digits.size() - point);
  }
  return (d.negative ? "-" : "") + text;
}

int Compare(const Decimal& a, const Decimal& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  const int place = std::min(a.exponent, b.exponent);
  const int magnitude = CompareDigits(DigitsAt(a, place), DigitsAt(b, place));
  return a.negative ? -magnitude : magnitude;
}

Decimal Add(const Decimal& a, const Decimal& b) {
  if (a.IsZero()) return b;
  if (b.IsZero()) return a;
  const int place = std::min(a.exponent, b.exponent);
  const std::string x = DigitsAt(a, place), y = DigitsAt(b, place);
  if (a.negative == b.negative) return Normalized(a.negative, AddDigits(x, y), place);
  const int c = CompareDigits(x, y);
  if (c == 0) return {};
  return c > 0 ? Normalized(a.negative, SubtractDigits(x, y), place)
               : Normalized(b.negative, SubtractDigits(y, x), place);
}

Decimal Subtract(const Decimal& a, const Decimal& b) { return Add(a, Signed(b, !b.negative)); }

Decimal Multiply(const Decimal& a, const Decimal& b) {
  if (a.IsZero() || b.IsZero()) return {};
  std::string product(a.digits.size() + b.digits.size(), '0');
  for (std::size_t i = a.digits.size(); i-- > 0;) {
    int carry = 0;
    for (std::size_t j = b.digits.size(); j-- > 0;) {
      const int cell = (product[i + j + 1] - '0') + (a.digits[i] - '0') * (b.digits[j] - '0') + carry;
      product[i + j + 1] = static_cast<char>('0' + cell % 10);
      carry = cell / 10;
    }
    product[i] = static_cast<char>(product[i] + carry);
  }
  return Normalized(a.negative != b.negative, product, a.exponent + b.exponent);
}

Decimal Abs(Decimal d) {
  d.negative = false;
  return d;
}

Decimal HalfUnit(int place) { return {false, "5", place - 1}; }

Decimal FromDigits(std::string_view digits, int exponent) {
  return Normalized(false, std::string(digits), exponent);
}

bool ParseTypedDecimal(std::string_view text, double& value, Decimal& digits) {
  return ParseTypedNumber(text, value) && ParseDecimal(text, digits);
}

}  // namespace teaching
