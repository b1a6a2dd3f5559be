// The 128-bit words of compilers without a 128-bit integer, against the
// compiler's own: the software extended type rounds with them there.

#define REACTOPT_PORTABLE_UINT128 1
#define wide portable_wide  // beside the compiler's words in the same program
#include "base/Uint128.h"
#undef wide

#include <gtest/gtest.h>

#include <random>

namespace {

using Native = unsigned __int128;

Native ToNative(portable_wide::Uint128 x) { return (static_cast<Native>(x.hi) << 64) | x.lo; }

}  // namespace

TEST(PortableUint128, AgreesWithTheCompilersWords) {
  std::mt19937_64 rng(42);
  for (int n = 0; n < 100000; ++n) {
    const std::uint64_t a = rng() >> (rng() % 64), b = rng() >> (rng() % 64);
    const std::uint64_t c = rng(), d = (rng() >> (rng() % 64)) | 1;
    const portable_wide::Uint128 x = portable_wide::Make(a, b), y = portable_wide::Make(c, d);
    const Native nx = ToNative(x), ny = ToNative(y);
    const int shift = static_cast<int>(rng() % 128);
    ASSERT_EQ(ToNative(portable_wide::ShiftLeft(x, shift)), nx << shift);
    ASSERT_EQ(ToNative(portable_wide::ShiftRight(x, shift)), nx >> shift);
    ASSERT_EQ(ToNative(portable_wide::LowBits(x, shift)), nx & ((static_cast<Native>(1) << shift) - 1));
    ASSERT_EQ(ToNative(portable_wide::Add(x, y)), nx + ny);
    ASSERT_EQ(ToNative(portable_wide::Subtract(x, y)), nx - ny);
    ASSERT_EQ(portable_wide::Less(x, y), nx < ny);
    ASSERT_EQ(ToNative(portable_wide::Multiply(a, c)), static_cast<Native>(a) * c);
    std::uint64_t hi = 0, lo = 0;  // the halves' product, as WebAssembly takes it
    portable_wide::MultiplyWords(a, c, hi, lo);
    ASSERT_EQ(ToNative(portable_wide::Make(hi, lo)), static_cast<Native>(a) * c);
    portable_wide::Uint128 q;
    std::uint64_t r = 0;
    portable_wide::Divide(x, d, q, r);
    ASSERT_EQ(ToNative(q), nx / d);
    ASSERT_EQ(r, static_cast<std::uint64_t>(nx % d));
    if (!portable_wide::IsZero(x)) {
      int top = 127;
      while (!((nx >> top) & 1)) --top;
      ASSERT_EQ(portable_wide::HighestBit(x), top);
    }
  }
}

TEST(Uint128, DivideTopAgreesWithTheCompilersDivision) {
  std::mt19937_64 rng(7);
  for (int n = 0; n < 200000; ++n) {
    // Divisors with runs of ones and zeros too, where the estimates of the
    // quotient's digits are furthest off.
    std::uint64_t d = n % 3 == 0   ? rng()
                      : n % 3 == 1 ? ~0ULL << (rng() % 63)
                                   : (1ULL << 63) | (rng() >> (rng() % 64));
    d |= 1ULL << 63;
    std::uint64_t hi = n % 5 == 0 ? d - 1 - (rng() % 4) : rng() % d;
    std::uint64_t q = 0, r = 0;
    portable_wide::DivideTop(hi, d, q, r);
    const Native x = static_cast<Native>(hi) << 64;
    ASSERT_EQ(q, static_cast<std::uint64_t>(x / d)) << hi << " / " << d;
    ASSERT_EQ(r, static_cast<std::uint64_t>(x % d)) << hi << " / " << d;
  }
}
