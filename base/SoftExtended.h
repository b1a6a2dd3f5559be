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
  // Rounded to nearest, ties to even.
  explicit operator double() const {
    if (kind_ == Kind::Finite && exponent_ >= -1022 && exponent_ < 1023) {
      // The usual case: a normal double, 11 bits to round away; a carry into
      // bit 53 lands in the exponent field, as it should.
      std::uint64_t m = significand_ >> 11;
      const std::uint64_t rest = significand_ & 0x7FF;
      if (rest > 0x400 || (rest == 0x400 && (m & 1))) ++m;
      const std::uint64_t bits = static_cast<std::uint64_t>(negative_) << 63 |
                                 ((static_cast<std::uint64_t>(exponent_ + 1023) << 52) + (m - (1ULL << 52)));
      double result = 0;
      std::memcpy(&result, &bits, sizeof result);
      return result;
    }
    return ToDoubleGenerally();
  }

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
  static SoftExtended RoundInRange(bool negative, std::uint64_t m, std::uint64_t rest, bool sticky, int e) {
    if (rest > kTop || (rest == kTop && (sticky || (m & 1)))) {
      if (++m == 0) {
        m = kTop;
        ++e;
      }
    }
    SoftExtended x;
    x.kind_ = Kind::Finite;
    x.negative_ = negative;
    x.significand_ = m;
    x.exponent_ = e;
    return x;
  }
  static constexpr std::uint64_t kTop = 1ULL << 63;
  // Both finite with the top bit of the significand set, the exponents far
  // enough from both ends that a sum, product or quotient stays normal.
  static bool InRange(const SoftExtended& a, const SoftExtended& b) {
    const auto inside = [](std::int32_t e) {
      return static_cast<std::uint32_t>(e - (kMinExponent / 2 + 1)) <
             static_cast<std::uint32_t>(kMaxExponent / 2 - (kMinExponent / 2 + 1));
    };
    return a.kind_ == Kind::Finite && b.kind_ == Kind::Finite && (a.significand_ & b.significand_ & kTop) &&
           inside(a.exponent_) && inside(b.exponent_);
  }
  void FromUnusualDouble(std::uint64_t bits);  // zero, subnormal, infinite, not a number
  double ToDoubleGenerally() const;            // subnormal, huge, zero, infinite, not a number
  // Every case of + * /, the usual ones included: the inline operators take
  // the usual ones themselves, where a call would cost as much as the work.
  static SoftExtended AddGenerally(const SoftExtended& a, const SoftExtended& b);
  static SoftExtended MultiplyGenerally(const SoftExtended& a, const SoftExtended& b);
  static SoftExtended DivideGenerally(const SoftExtended& a, const SoftExtended& b);

  friend SoftExtended operator+(const SoftExtended& a, const SoftExtended& b);
  friend SoftExtended operator*(const SoftExtended& a, const SoftExtended& b);
  friend SoftExtended operator/(const SoftExtended& a, const SoftExtended& b);
  friend inline SoftExtended operator-(const SoftExtended& a);
  friend int Compare(const SoftExtended& a, const SoftExtended& b);

  std::uint64_t significand_ = 0;
  std::int32_t exponent_ = 0;
  bool negative_ = false;
  Kind kind_ = Kind::Zero;
};

inline SoftExtended operator-(const SoftExtended& a) {
  SoftExtended x = a;
  x.negative_ = !x.negative_;
  return x;
}

inline SoftExtended operator+(const SoftExtended& a, const SoftExtended& b) {
  if (!SoftExtended::InRange(a, b)) return SoftExtended::AddGenerally(a, b);
  const bool aLarger =
      a.exponent_ > b.exponent_ || (a.exponent_ == b.exponent_ && a.significand_ >= b.significand_);
  const SoftExtended& big = aLarger ? a : b;
  const SoftExtended& small = aLarger ? b : a;
  const int d = big.exponent_ - small.exponent_;
  if (d >= 64) return SoftExtended::AddGenerally(a, b);
  // The smaller significand aligned over two words, exactly.
  const std::uint64_t B = big.significand_, S = small.significand_;
  const std::uint64_t hi = d == 0 ? S : S >> d, lo = d == 0 ? 0 : S << (64 - d);
  if (a.negative_ == b.negative_) {
    const std::uint64_t sum = B + hi;
    if (sum >= B) return SoftExtended::RoundInRange(a.negative_, sum, lo, false, big.exponent_);
    // A carry: one place up, the bit shifted out on top of the rest.
    return SoftExtended::RoundInRange(a.negative_, SoftExtended::kTop | sum >> 1, (sum << 63) | lo >> 1,
                                      lo & 1, big.exponent_ + 1);
  }
  // B * 2^64 - (hi * 2^64 + lo), not negative, exact.
  std::uint64_t dh = B - hi - (lo != 0 ? 1 : 0);
  std::uint64_t dl = 0 - lo;
  if (dh == 0 && dl == 0) return SoftExtended();  // exact zero is +0
  int e = big.exponent_;
  if (dh == 0) {
    dh = dl;
    dl = 0;
    e -= 64;
  }
  const int z = wide::LeadingZeros(dh);
  if (z > 0) {
    dh = dh << z | dl >> (64 - z);
    dl <<= z;
    e -= z;
  }
  return SoftExtended::RoundInRange(big.negative_, dh, dl, false, e);
}

inline SoftExtended operator-(const SoftExtended& a, const SoftExtended& b) { return a + -b; }

inline SoftExtended operator*(const SoftExtended& a, const SoftExtended& b) {
  if (!SoftExtended::InRange(a, b)) return SoftExtended::MultiplyGenerally(a, b);
  // Two significands with their top bits set: a product of 127 or 128 bits.
  const bool negative = a.negative_ != b.negative_;
  std::uint64_t hi = 0, lo = 0;
  wide::MultiplyWords(a.significand_, b.significand_, hi, lo);
  if (hi >> 63) return SoftExtended::RoundInRange(negative, hi, lo, false, a.exponent_ + b.exponent_ + 1);
  return SoftExtended::RoundInRange(negative, hi << 1 | lo >> 63, lo << 1, false, a.exponent_ + b.exponent_);
}

inline SoftExtended operator/(const SoftExtended& a, const SoftExtended& b) {
  if (!SoftExtended::InRange(a, b)) return SoftExtended::DivideGenerally(a, b);
  const bool negative = a.negative_ != b.negative_;
  const std::uint64_t sa = a.significand_, sb = b.significand_;
  const bool top = sa >= sb;
  std::uint64_t q = 0, r = 0;
  wide::DivideTop(top ? sa - sb : sa, sb, q, r);
  // The bit below the last place and whether anything is left below it,
  // as a `rest` that compares with half a place alike.
  if (top) {
    const std::uint64_t rest = (q & 1 ? SoftExtended::kTop : 0) | (r != 0 ? 1 : 0);
    return SoftExtended::RoundInRange(negative, SoftExtended::kTop | q >> 1, rest, false,
                                      a.exponent_ - b.exponent_);
  }
  const bool guard = r >= sb - r;  // 2r >= sb
  const std::uint64_t left = guard ? r - (sb - r) : r << 1;
  const std::uint64_t rest = (guard ? SoftExtended::kTop : 0) | (left != 0 ? 1 : 0);
  return SoftExtended::RoundInRange(negative, q, rest, false, a.exponent_ - b.exponent_ - 1);
}

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
