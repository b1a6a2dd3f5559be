#include "SoftExtended.h"

#include <cstring>

using wide::Uint128;

namespace {

constexpr std::uint64_t kTopBit = 1ULL << 63;

// Magnitude order of two finite or zero numbers: -1, 0, 1.
int CompareMagnitude(const SoftExtended& a, const SoftExtended& b) {
  const bool az = a.kind() == SoftExtended::Kind::Zero, bz = b.kind() == SoftExtended::Kind::Zero;
  if (az || bz) return az && bz ? 0 : (az ? -1 : 1);
  if (a.Exponent() != b.Exponent()) return a.Exponent() < b.Exponent() ? -1 : 1;
  if (a.Significand() != b.Significand()) return a.Significand() < b.Significand() ? -1 : 1;
  return 0;
}

// The significand with its top bit set, and the exponent that goes with it
// (below the smallest for numbers of gradual underflow).
void Normalized(const SoftExtended& x, std::uint64_t& significand, int& exponent) {
  significand = x.Significand();
  exponent = x.Exponent();
  while (!(significand & kTopBit)) {
    significand <<= 1;
    --exponent;
  }
}

}  // namespace

SoftExtended SoftExtended::Special(Kind kind, bool negative) {
  SoftExtended x;
  x.kind_ = kind;
  x.negative_ = negative;
  return x;
}

SoftExtended SoftExtended::RoundPack(bool negative, Uint128 m, int e, bool sticky) {
  if (wide::IsZero(m)) return Special(Kind::Zero, negative);
  const int top = wide::HighestBit(m);
  const int exponent = e + top < kMinExponent ? kMinExponent : e + top;
  // value = m * 2^e = (m * 2^shift) * 2^(exponent - 63)
  const int shift = e - (exponent - 63);
  std::uint64_t significand = 0;
  int carry = 0;
  if (shift >= 0) {
    // Exact; bits below m's last one are below half the last place.
    significand = wide::Low(wide::ShiftLeft(m, shift));
  } else {
    const int r = -shift;
    if (r <= 64) {
      // The usual case: the bits below the last place fit in one word.
      const std::uint64_t low = wide::Low(m);
      const std::uint64_t rest = r == 64 ? low : low & ((1ULL << r) - 1);
      const std::uint64_t half = 1ULL << (r - 1);
      significand = wide::Low(wide::ShiftRight(m, r));
      const bool up = rest > half || (rest == half && (sticky || (significand & 1)));
      if (up && ++significand == 0) {
        significand = kTopBit;
        carry = 1;
      }
    } else if (r > 128) {
      significand = 0;  // far below half the smallest step
    } else {
      significand = r == 128 ? 0 : wide::Low(wide::ShiftRight(m, r));
      const Uint128 rest = wide::LowBits(m, r);
      const Uint128 half = wide::ShiftLeft(wide::Make(0, 1), r - 1);
      bool up = false;
      if (wide::Less(half, rest))
        up = true;
      else if (!wide::Less(rest, half))
        up = sticky || (significand & 1);  // exactly half
      if (up && ++significand == 0) {
        significand = kTopBit;
        carry = 1;
      }
    }
  }
  if (significand == 0) return Special(Kind::Zero, negative);
  if (exponent + carry > kMaxExponent) return Special(Kind::Infinite, negative);
  SoftExtended x;
  x.kind_ = Kind::Finite;
  x.negative_ = negative;
  x.significand_ = significand;
  x.exponent_ = exponent + carry;
  return x;
}

SoftExtended SoftExtended::FromParts(bool negative, std::uint64_t significand, int exponent) {
  return RoundPack(negative, wide::Make(0, significand), exponent, false);
}

SoftExtended::SoftExtended(int x) {
  if (x == 0) return;
  negative_ = x < 0;
  const std::uint64_t magnitude =
      negative_ ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(x)) : static_cast<std::uint64_t>(x);
  // At most 32 bits: exact, only moved to the top of the significand.
  const int top = wide::HighestBit(wide::Make(0, magnitude));
  kind_ = Kind::Finite;
  significand_ = magnitude << (63 - top);
  exponent_ = top;
}

void SoftExtended::FromUnusualDouble(std::uint64_t bits) {
  const bool negative = bits >> 63;
  const int biased = static_cast<int>(bits >> 52 & 0x7FF);
  const std::uint64_t fraction = bits & ((1ULL << 52) - 1);
  if (biased == 0x7FF) {
    *this = Special(fraction ? Kind::NotANumber : Kind::Infinite, negative);
  } else if (biased == 0 && fraction == 0) {
    *this = Special(Kind::Zero, negative);  // the data's many zeros, without rounding
  } else if (biased == 0) {
    *this = FromParts(negative, fraction, -1074);  // zero or a subnormal double
  } else {
    *this = FromParts(negative, fraction | 1ULL << 52, biased - 1075);
  }
}

double SoftExtended::ToDoubleGenerally() const {
  double result = 0;
  std::uint64_t bits = static_cast<std::uint64_t>(negative_) << 63;
  if (kind_ == Kind::NotANumber) {
    bits |= 0x7FF8000000000000ULL;
  } else if (kind_ == Kind::Infinite) {
    bits |= 0x7FF0000000000000ULL;
  } else if (kind_ == Kind::Finite && exponent_ >= -1022 && exponent_ < 1023) {
    // The usual case: a normal double, 11 bits to round away.
    std::uint64_t m = significand_ >> 11;
    const std::uint64_t rest = significand_ & 0x7FF;
    if (rest > 0x400 || (rest == 0x400 && (m & 1))) ++m;
    // A carry into bit 53 lands in the exponent field, as it should.
    bits |= (static_cast<std::uint64_t>(exponent_ + 1023) << 52) + (m - (1ULL << 52));
  } else if (kind_ == Kind::Finite) {
    std::uint64_t significand = 0;
    int exponent = 0;
    Normalized(*this, significand, exponent);
    // Significant bits the double keeps: 53, fewer among its subnormals.
    const int keep = exponent >= -1022 ? 53 : exponent + 1075;
    std::uint64_t m = 0;
    if (keep >= 0) {
      const int s = 64 - keep;
      m = s == 64 ? 0 : significand >> s;
      const std::uint64_t rest = s == 64 ? significand : significand & ((1ULL << s) - 1);
      const std::uint64_t half = 1ULL << (s - 1);
      if (rest > half || (rest == half && (m & 1))) ++m;
    }
    if (exponent >= -1022) {
      if (m >> 53) {  // rounded up to the next power of two
        m >>= 1;
        ++exponent;
      }
      if (exponent > 1023)
        bits |= 0x7FF0000000000000ULL;
      else
        bits |= static_cast<std::uint64_t>(exponent + 1023) << 52 | (m & ((1ULL << 52) - 1));
    } else {
      bits |= m;  // a subnormal; 2^52 is the smallest normal, encoded alike
    }
  }
  std::memcpy(&result, &bits, sizeof result);
  return result;
}

SoftExtended SoftExtended::AddGenerally(const SoftExtended& a, const SoftExtended& b) {
  if (a.kind_ == Kind::NotANumber || b.kind_ == Kind::NotANumber) return Special(Kind::NotANumber, true);
  if (a.kind_ == Kind::Infinite || b.kind_ == Kind::Infinite) {
    if (a.kind_ == Kind::Infinite && b.kind_ == Kind::Infinite && a.negative_ != b.negative_)
      return Special(Kind::NotANumber, true);
    return a.kind_ == Kind::Infinite ? a : b;
  }
  if (a.kind_ == Kind::Zero && b.kind_ == Kind::Zero) return Special(Kind::Zero, a.negative_ && b.negative_);
  if (a.kind_ == Kind::Zero) return b;
  if (b.kind_ == Kind::Zero) return a;

  const bool aLarger = CompareMagnitude(a, b) >= 0;
  const SoftExtended& big = aLarger ? a : b;
  const SoftExtended& small = aLarger ? b : a;
  const int d = big.exponent_ - small.exponent_;
  // Both significands with 63 bits of room below them; the smaller one
  // aligned, the bits shifted out kept as a sticky bit.
  const Uint128 x = wide::ShiftLeft(wide::Make(0, big.significand_), 63);
  const Uint128 full = wide::ShiftLeft(wide::Make(0, small.significand_), 63);
  Uint128 y = full;
  bool sticky = false;
  if (d >= 128) {
    y = wide::Make(0, 0);
    sticky = true;
  } else if (d > 0) {
    y = wide::ShiftRight(full, d);
    sticky = !wide::IsZero(wide::LowBits(full, d));
  }
  const int e = big.exponent_ - 126;
  if (a.negative_ == b.negative_) return RoundPack(a.negative_, wide::Add(x, y), e, sticky);
  // x - (y + fraction) = (x - y - 1) + (1 - fraction)
  Uint128 difference = wide::Subtract(x, y);
  if (sticky) difference = wide::Subtract(difference, wide::Make(0, 1));
  if (wide::IsZero(difference) && !sticky) return SoftExtended();  // exact zero is +0
  return RoundPack(big.negative_, difference, e, sticky);
}

SoftExtended SoftExtended::MultiplyGenerally(const SoftExtended& a, const SoftExtended& b) {
  const bool negative = a.negative_ != b.negative_;
  if (a.kind_ == Kind::NotANumber || b.kind_ == Kind::NotANumber) return Special(Kind::NotANumber, true);
  if (a.kind_ == Kind::Infinite || b.kind_ == Kind::Infinite) {
    if (a.kind_ == Kind::Zero || b.kind_ == Kind::Zero) return Special(Kind::NotANumber, true);
    return Special(Kind::Infinite, negative);
  }
  if (a.kind_ == Kind::Zero || b.kind_ == Kind::Zero) return Special(Kind::Zero, negative);
  return RoundPack(negative, wide::Multiply(a.significand_, b.significand_), a.exponent_ + b.exponent_ - 126,
                   false);
}

SoftExtended SoftExtended::DivideGenerally(const SoftExtended& a, const SoftExtended& b) {
  const bool negative = a.negative_ != b.negative_;
  if (a.kind_ == Kind::NotANumber || b.kind_ == Kind::NotANumber) return Special(Kind::NotANumber, true);
  if (a.kind_ == Kind::Infinite) {
    if (b.kind_ == Kind::Infinite) return Special(Kind::NotANumber, true);
    return Special(Kind::Infinite, negative);
  }
  if (b.kind_ == Kind::Infinite) return Special(Kind::Zero, negative);
  if (b.kind_ == Kind::Zero) {
    if (a.kind_ == Kind::Zero) return Special(Kind::NotANumber, true);
    return Special(Kind::Infinite, negative);
  }
  if (a.kind_ == Kind::Zero) return Special(Kind::Zero, negative);

  std::uint64_t sa = 0, sb = 0;
  int ea = 0, eb = 0;
  Normalized(a, sa, ea);
  Normalized(b, sb, eb);
  // (sa * 2^64) / sb is 64 or 65 bits long; one more quotient bit beyond it
  // leaves at least one bit below the last place for rounding. Both
  // significands have their top bit set, so sa < 2 sb: the 65th bit is 1
  // exactly when sa >= sb, and the rest is a quotient of one word.
  const bool top = sa >= sb;
  std::uint64_t low = 0, r = 0;
  wide::DivideTop(top ? sa - sb : sa, sb, low, r);
  Uint128 q = wide::Make(top ? 1 : 0, low);
  const Uint128 twice = wide::ShiftLeft(wide::Make(0, r), 1);
  q = wide::ShiftLeft(q, 1);
  if (!wide::Less(twice, wide::Make(0, sb))) {
    q = wide::Add(q, wide::Make(0, 1));
    r = wide::Low(wide::Subtract(twice, wide::Make(0, sb)));
  } else {
    r = wide::Low(twice);
  }
  return RoundPack(negative, q, ea - eb - 65, r != 0);
}

int Compare(const SoftExtended& a, const SoftExtended& b) {
  using Kind = SoftExtended::Kind;
  if (a.kind_ == Kind::NotANumber || b.kind_ == Kind::NotANumber) return 2;
  if (a.kind_ == Kind::Zero && b.kind_ == Kind::Zero) return 0;
  const auto signOf = [](const SoftExtended& x) {
    return x.kind_ == Kind::Zero ? 0 : (x.negative_ ? -1 : 1);
  };
  const int sa = signOf(a), sb = signOf(b);
  if (sa != sb) return sa < sb ? -1 : 1;
  // Same sign, neither zero unless both were.
  int m = 0;
  if (a.kind_ == Kind::Infinite || b.kind_ == Kind::Infinite)
    m = a.kind_ == b.kind_ ? 0 : (a.kind_ == Kind::Infinite ? 1 : -1);
  else
    m = CompareMagnitude(a, b);
  return sa < 0 ? -m : m;
}
