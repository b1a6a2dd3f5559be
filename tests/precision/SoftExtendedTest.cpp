// The software extended type against the x87 extended format, bit for bit:
// every operation the formulas use, on random operands and on the ones where
// rounding is decided (exact halves, ties to even, cancellation, operands far
// apart, gradual underflow, values next to a double's rounding boundary).

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "base/Real.h"

static_assert(kSoftExtended, "this test is built against the software extended core");
static_assert(LDBL_MANT_DIG == 64, "the reference is the x87 long double");

namespace {

// Sign, exponent and the 64-bit significand: equal exactly when the bits are.
struct Bits {
  bool negative = false;
  int exponent = 0;
  std::uint64_t significand = 0;
  int kind = 0;  // 0 finite, 1 infinite, 2 not a number
  bool operator==(const Bits& o) const {
    return kind == o.kind &&
           (kind == 2 || (negative == o.negative && exponent == o.exponent && significand == o.significand));
  }
};

Bits BitsOf(long double x) {
  Bits b;
  b.negative = std::signbit(x);
  if (std::isnan(x))
    b.kind = 2;
  else if (std::isinf(x))
    b.kind = 1;
  else if (x != 0) {
    int e = 0;
    const long double m = std::frexp(std::fabs(x), &e);
    b.exponent = e;
    b.significand = static_cast<std::uint64_t>(std::ldexp(m, 64));
  }
  return b;
}

Bits BitsOf(const Extended& x) {
  Bits b;
  b.negative = x.Negative();
  switch (x.kind()) {
    case SoftExtended::Kind::NotANumber: b.kind = 2; break;
    case SoftExtended::Kind::Infinite: b.kind = 1; break;
    case SoftExtended::Kind::Zero: break;
    case SoftExtended::Kind::Finite: {
      // As frexp gives it: a significand with its top bit set.
      std::uint64_t s = x.Significand();
      int e = x.Exponent() + 1;
      while (!(s >> 63)) {
        s <<= 1;
        --e;
      }
      b.exponent = e;
      b.significand = s;
      break;
    }
  }
  return b;
}

std::string Show(const Bits& b) {
  char buf[80];
  std::snprintf(buf, sizeof buf, "%s0x%016llx*2^%d kind %d", b.negative ? "-" : "+",
                static_cast<unsigned long long>(b.significand), b.exponent, b.kind);
  return buf;
}

// The same value in both types, made exactly from a significand and exponent.
struct Pair {
  long double hard;
  Extended soft;
};

Pair Make(bool negative, std::uint64_t significand, int exponent) {
  significand |= 1ULL << 63;
  long double hard = std::ldexp(static_cast<long double>(significand), exponent - 64);
  Extended soft = SoftExtended::FromParts(false, significand, exponent - 64);
  if (negative) {
    hard = -hard;
    soft = -soft;
  }
  return {hard, soft};
}

Pair FromDouble(double d) { return {static_cast<long double>(d), Extended(d)}; }

class Operands {
 public:
  explicit Operands(std::uint64_t seed) : rng_(seed) {}

  // Mostly values of the size the formulas meet, sometimes anything.
  Pair Next() {
    const int exponent = Coin(8) ? Int(-16000, 16000) : Int(-40, 40);
    switch (Int(0, 5)) {
      case 0:  // a double
        return FromDouble(std::ldexp(Unit(), exponent));
      case 1: {  // a decimal with few digits, as the data are
        const double d = Int(1, 5000) / std::pow(10.0, Int(0, 4));
        return FromDouble(Coin(4) ? -d : d);
      }
      case 2:  // significand with a long run of ones or zeros: carries
        return Make(Coin(2), Coin(2) ? ~0ULL << Int(0, 20) : 1ULL << Int(0, 62), exponent);
      default: return Make(Coin(2), rng_(), exponent);
    }
  }
  int Int(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }
  bool Coin(int oneIn) { return Int(1, oneIn) == 1; }
  double Unit() { return std::uniform_real_distribution<double>(0.5, 1.0)(rng_); }
  std::uint64_t Raw() { return rng_(); }

 private:
  std::mt19937_64 rng_;
};

// Compares the four operations and the comparisons of one pair of operands.
void CheckOperations(const Pair& a, const Pair& b, int& failures) {
  const auto check = [&](const char* op, long double hard, const Extended& soft) {
    if (BitsOf(hard) == BitsOf(soft) || failures > 10) return;
    ++failures;
    ADD_FAILURE() << op << " of " << Show(BitsOf(a.hard)) << " and " << Show(BitsOf(b.hard)) << ": x87 "
                  << Show(BitsOf(hard)) << ", software " << Show(BitsOf(soft));
  };
  check("+", a.hard + b.hard, a.soft + b.soft);
  check("-", a.hard - b.hard, a.soft - b.soft);
  check("*", a.hard * b.hard, a.soft * b.soft);
  if (b.hard != 0) check("/", a.hard / b.hard, a.soft / b.soft);
  EXPECT_EQ(a.hard < b.hard, a.soft < b.soft);
  EXPECT_EQ(a.hard == b.hard, a.soft == b.soft);
  EXPECT_EQ(a.hard >= b.hard, a.soft >= b.soft);
}

void CheckToDouble(const Pair& x, int& failures) {
  const double hard = static_cast<double>(x.hard);
  const double soft = ToDouble(x.soft);
  if (std::memcmp(&hard, &soft, sizeof hard) == 0 || failures > 10) return;
  ++failures;
  ADD_FAILURE() << "to double of " << Show(BitsOf(x.hard)) << ": x87 " << hard << ", software " << soft;
}

}  // namespace

TEST(SoftExtended, RandomOperandsGiveTheX87Bits) {
  Operands operands(20261208);
  int failures = 0;
  for (int n = 0; n < 200000; ++n) CheckOperations(operands.Next(), operands.Next(), failures);
  EXPECT_EQ(failures, 0);
}

TEST(SoftExtended, ChainsOfOperationsStayInStep) {
  // Errors would grow along a chain as in a sweep: x := x op y, many times.
  Operands operands(7);
  for (int chain = 0; chain < 200; ++chain) {
    Pair x = operands.Next();
    for (int step = 0; step < 500; ++step) {
      const Pair y = FromDouble(operands.Int(1, 2000) / 1000.0);
      switch (step % 4) {
        case 0: x = {x.hard + y.hard, x.soft + y.soft}; break;
        case 1: x = {x.hard * y.hard, x.soft * y.soft}; break;
        case 2: x = {x.hard - y.hard, x.soft - y.soft}; break;
        default: x = {x.hard / y.hard, x.soft / y.soft}; break;
      }
      ASSERT_EQ(BitsOf(x.hard), BitsOf(x.soft)) << "chain " << chain << " step " << step;
    }
  }
}

TEST(SoftExtended, TiesRoundToEven) {
  // a + b where the exact sum needs one bit more than the significand holds,
  // that bit being the half: the even neighbour wins.
  Operands operands(3);
  int failures = 0;
  for (int n = 0; n < 50000; ++n) {
    const std::uint64_t s = operands.Raw();
    const int e = operands.Int(-30, 30);
    CheckOperations(Make(false, s, e), Make(operands.Coin(2), 1ULL << 63, e - 64), failures);
    CheckOperations(Make(false, s, e), Make(false, 3ULL << 62, e - 64), failures);
    // Products whose low half is exactly one half of the last place.
    CheckOperations(Make(false, (s | 1) >> 1 | 1ULL << 63, e), Make(false, 3ULL << 62, 1), failures);
  }
  EXPECT_EQ(failures, 0);
}

TEST(SoftExtended, CancellationIsExact) {
  Operands operands(11);
  int failures = 0;
  for (int n = 0; n < 50000; ++n) {
    const Pair a = operands.Next();
    const std::uint64_t near = operands.Raw() & 0xFFFF;
    const Pair b = Make(a.hard < 0, BitsOf(a.hard).significand ^ near, BitsOf(a.hard).exponent);
    CheckOperations(a, b, failures);
  }
  EXPECT_EQ(failures, 0);
}

TEST(SoftExtended, ConversionsFromIntAndDoubleAreExact) {
  Operands operands(5);
  for (int n = 0; n < 100000; ++n) {
    const int i = operands.Int(-2000000000, 2000000000);
    ASSERT_EQ(BitsOf(static_cast<long double>(i)), BitsOf(Extended(i)));
    double d = 0;
    const std::uint64_t raw = operands.Raw();
    std::memcpy(&d, &raw, sizeof d);  // any double, subnormals and specials included
    ASSERT_EQ(BitsOf(static_cast<long double>(d)), BitsOf(Extended(d))) << d;
  }
}

TEST(SoftExtended, ConversionToDoubleRoundsAsTheX87) {
  Operands operands(13);
  int failures = 0;
  for (int n = 0; n < 100000; ++n) {
    // Next to a double's rounding boundary: the 11 bits below the double's
    // last place are the half, or one step on either side of it.
    const std::uint64_t base = operands.Raw() & ~0x7FFULL;
    static constexpr std::uint64_t kLowBits[] = {0x400, 0x3FF, 0x401, 0x000, 0x7FF, 0x001};
    for (std::uint64_t low : kLowBits)
      CheckToDouble(Make(operands.Coin(2), base | low, operands.Int(-1100, 1100)), failures);
    CheckToDouble(operands.Next(), failures);
  }
  // Beyond the double's range, and into its subnormals.
  for (int e : {1024, 1025, -1021, -1022, -1040, -1074, -1075, -1076, -1100})
    for (std::uint64_t s : {0ULL, 0x400ULL, 0x401ULL, 0x3FFULL, ~0ULL})
      CheckToDouble(Make(false, s, e), failures);
  EXPECT_EQ(failures, 0);
}

TEST(SoftExtended, RealRoundsOnStoreAndComputesInExtended) {
  // 0.1 + 0.2 - 0.3 in extended precision is not the double's answer.
  const Real a = 0.1, b = 0.2, c = 0.3;
  const Real soft = a + b - c;
  const long double hard =
      static_cast<long double>(0.1) + static_cast<long double>(0.2) - static_cast<long double>(0.3);
  EXPECT_EQ(soft.value(), static_cast<double>(hard));
  EXPECT_NE(soft.value(), 0.1 + 0.2 - 0.3);
  // The conversion step is the x87 constant, not the double 0.001.
  EXPECT_EQ(BitsOf(kStep), BitsOf(0.001L));
  const Real x = 450 * kStep;
  EXPECT_EQ(x.value(), static_cast<double>(450 * 0.001L));
}
