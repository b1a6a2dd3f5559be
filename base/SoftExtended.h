#pragma once
// A software number in the x87 extended format: 64-bit significand with an
// explicit integer bit, exponents -16382 to 16383 with gradual underflow below,
// every operation rounded once to nearest, ties to even. It gives the bits the
// x87 gives for + - * /, comparisons and the conversions from int and double
// and to double, so that formulas evaluated with it print what an x87 machine
// prints.

#include <cstdint>
#include <cstring>

#include "Uint128.h"

class SoftExtended {
 public:
  enum class Kind : std::uint8_t { Zero, Finite, Infinite, NotANumber };

  SoftExtended() = default;  // +0
  SoftExtended(int x);       // NOLINT: exact, as the hardware converts
  SoftExtended(double x) {   // NOLINT: exact
    // Every stored quantity enters the formulas this way: normal numbers
    // need no rounding, only their bits moved.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const int biased = static_cast<int>(bits >> 52 & 0x7FF);
    if (biased != 0 && biased != 0x7FF) {
      kind_ = Kind::Finite;
      negative_ = bits >> 63;
      significand_ = (bits << 11) | 1ULL << 63;
      exponent_ = biased - 1023;
    } else {
      FromUnusualDouble(bits);
    }
  }
  explicit operator double() const;  // rounded to nearest, ties to even

  // significand * 2^exponent, rounded.
  static SoftExtended FromParts(bool negative, std::uint64_t significand, int exponent);

  // The value is significand * 2^(Exponent() - 63); the significand's top bit
  // is set except for the smallest exponent (gradual underflow).
  Kind kind() const { return kind_; }
  bool Negative() const { return negative_; }
  int Exponent() const { return exponent_; }
  std::uint64_t Significand() const { return significand_; }

  static constexpr int kMinExponent = -16382;
  static constexpr int kMaxExponent = 16383;

 private:
  // The one place where results are rounded: value = (m, plus a fraction below
  // its last bit when `sticky`) * 2^e, to the nearest representable number,
  // ties to even; gradual underflow below the smallest exponent and infinity
  // beyond the largest.
  static SoftExtended RoundPack(bool negative, wide::Uint128 m, int e, bool sticky);
  static SoftExtended Special(Kind kind, bool negative);
  // The same rounding for results well inside the range, where neither
  // underflow nor overflow can occur: significand m (top bit set) with the 64
  // bits `rest` below its last place, and `sticky` for anything below those,
  // times 2^(e - 63). The usual case of + - * /, without a 128-bit shift.
  static SoftExtended RoundInRange(bool negative, std::uint64_t m, std::uint64_t rest, bool sticky, int e);
  // Both finite with the top bit of the significand set, the exponents far
  // enough from both ends that a sum, product or quotient stays normal.
  static bool InRange(const SoftExtended& a, const SoftExtended& b) {
    return a.kind_ == Kind::Finite && b.kind_ == Kind::Finite && (a.significand_ >> 63) &&
           (b.significand_ >> 63) && a.exponent_ > kMinExponent / 2 && a.exponent_ < kMaxExponent / 2 &&
           b.exponent_ > kMinExponent / 2 && b.exponent_ < kMaxExponent / 2;
  }
  void FromUnusualDouble(std::uint64_t bits);  // zero, subnormal, infinite, not a number

  friend SoftExtended operator+(const SoftExtended& a, const SoftExtended& b);
  friend SoftExtended operator*(const SoftExtended& a, const SoftExtended& b);
  friend SoftExtended operator/(const SoftExtended& a, const SoftExtended& b);
  friend SoftExtended operator-(const SoftExtended& a);
  friend int Compare(const SoftExtended& a, const SoftExtended& b);

  std::uint64_t significand_ = 0;
  std::int32_t exponent_ = 0;
  bool negative_ = false;
  Kind kind_ = Kind::Zero;
};

SoftExtended operator+(const SoftExtended& a, const SoftExtended& b);
SoftExtended operator*(const SoftExtended& a, const SoftExtended& b);
SoftExtended operator/(const SoftExtended& a, const SoftExtended& b);
SoftExtended operator-(const SoftExtended& a);
inline SoftExtended operator-(const SoftExtended& a, const SoftExtended& b) { return a + -b; }

// -1, 0 or 1; 2 when either is not a number (unordered).
int Compare(const SoftExtended& a, const SoftExtended& b);
inline bool operator==(const SoftExtended& a, const SoftExtended& b) { return Compare(a, b) == 0; }
inline bool operator!=(const SoftExtended& a, const SoftExtended& b) { return Compare(a, b) != 0; }
inline bool operator<(const SoftExtended& a, const SoftExtended& b) { return Compare(a, b) == -1; }
inline bool operator>(const SoftExtended& a, const SoftExtended& b) { return Compare(a, b) == 1; }
inline bool operator<=(const SoftExtended& a, const SoftExtended& b) {
  const int c = Compare(a, b);
  return c == -1 || c == 0;
}
inline bool operator>=(const SoftExtended& a, const SoftExtended& b) {
  const int c = Compare(a, b);
  return c == 1 || c == 0;
}
