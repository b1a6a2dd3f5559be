#pragma once
// Unsigned 128-bit integers for the software extended type: the compiler's own
// where it has them, a plain pair of 64-bit words elsewhere (MSVC). Only the
// few operations that type needs.

#include <cstdint>

namespace wide {

#if defined(__SIZEOF_INT128__) && !defined(REACTOPT_PORTABLE_UINT128)

using Uint128 = unsigned __int128;

inline Uint128 Make(std::uint64_t hi, std::uint64_t lo) { return (static_cast<Uint128>(hi) << 64) | lo; }
inline std::uint64_t High(Uint128 x) { return static_cast<std::uint64_t>(x >> 64); }
inline std::uint64_t Low(Uint128 x) { return static_cast<std::uint64_t>(x); }
// 0 <= n < 128.
inline Uint128 ShiftLeft(Uint128 x, int n) { return x << n; }
inline Uint128 ShiftRight(Uint128 x, int n) { return x >> n; }
inline Uint128 Add(Uint128 a, Uint128 b) { return a + b; }
inline Uint128 Subtract(Uint128 a, Uint128 b) { return a - b; }
inline bool Less(Uint128 a, Uint128 b) { return a < b; }
inline Uint128 Multiply(std::uint64_t a, std::uint64_t b) { return static_cast<Uint128>(a) * b; }
// q = x / d and r = x % d, d not 0.
inline void Divide(Uint128 x, std::uint64_t d, Uint128& q, std::uint64_t& r) {
  q = x / d;
  r = static_cast<std::uint64_t>(x % d);
}

#else

struct Uint128 {
  std::uint64_t hi = 0;
  std::uint64_t lo = 0;
};

inline Uint128 Make(std::uint64_t hi, std::uint64_t lo) { return {hi, lo}; }
inline std::uint64_t High(Uint128 x) { return x.hi; }
inline std::uint64_t Low(Uint128 x) { return x.lo; }
inline Uint128 ShiftLeft(Uint128 x, int n) {
  if (n == 0) return x;
  if (n >= 64) return {x.lo << (n - 64), 0};
  return {(x.hi << n) | (x.lo >> (64 - n)), x.lo << n};
}
inline Uint128 ShiftRight(Uint128 x, int n) {
  if (n == 0) return x;
  if (n >= 64) return {0, x.hi >> (n - 64)};
  return {x.hi >> n, (x.lo >> n) | (x.hi << (64 - n))};
}
inline Uint128 Add(Uint128 a, Uint128 b) {
  const std::uint64_t lo = a.lo + b.lo;
  return {a.hi + b.hi + (lo < a.lo ? 1 : 0), lo};
}
inline Uint128 Subtract(Uint128 a, Uint128 b) { return {a.hi - b.hi - (a.lo < b.lo ? 1 : 0), a.lo - b.lo}; }
inline bool Less(Uint128 a, Uint128 b) { return a.hi < b.hi || (a.hi == b.hi && a.lo < b.lo); }
inline Uint128 Multiply(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  return {p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32), (middle << 32) | (p00 & 0xFFFFFFFFu)};
}
inline void Divide(Uint128 x, std::uint64_t d, Uint128& q, std::uint64_t& r) {
  // Long division, one bit at a time; the remainder stays below 2d.
  q = {0, 0};
  Uint128 rem{0, 0};
  const Uint128 divisor{0, d};
  for (int bit = 127; bit >= 0; --bit) {
    rem = ShiftLeft(rem, 1);
    rem.lo |= (bit >= 64 ? x.hi >> (bit - 64) : x.lo >> bit) & 1;
    q = ShiftLeft(q, 1);
    if (!Less(rem, divisor)) {
      rem = Subtract(rem, divisor);
      q.lo |= 1;
    }
  }
  r = rem.lo;
}

#endif

inline bool IsZero(Uint128 x) { return High(x) == 0 && Low(x) == 0; }

// Index of the highest set bit; x not 0.
inline int HighestBit(Uint128 x) {
  std::uint64_t word = High(x);
  int base = 64;
  if (word == 0) {
    word = Low(x);
    base = 0;
  }
#if defined(__GNUC__) || defined(__clang__)
  return base + 63 - __builtin_clzll(word);
#else
  int bit = 63;
  while (!(word >> bit & 1)) --bit;
  return base + bit;
#endif
}

// The number of zero bits above the highest set bit of a word; x not 0.
inline int LeadingZeros(std::uint64_t x) {
#if defined(__GNUC__) || defined(__clang__)
  return __builtin_clzll(x);
#else
  int n = 0;
  while (!(x >> 63)) {
    x <<= 1;
    ++n;
  }
  return n;
#endif
}

// The full product of two words. WebAssembly has no 64 x 64 -> 128 bit
// multiplication, and the compiler calls a generic 128 x 128 bit routine for
// one; four products of 32-bit halves cost less.
inline void MultiplyWords(std::uint64_t a, std::uint64_t b, std::uint64_t& hi, std::uint64_t& lo) {
#if defined(__SIZEOF_INT128__) && !defined(__wasm__) && !defined(REACTOPT_PORTABLE_UINT128)
  const unsigned __int128 p = static_cast<unsigned __int128>(a) * b;
  hi = static_cast<std::uint64_t>(p >> 64);
  lo = static_cast<std::uint64_t>(p);
#else
  const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32, b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const std::uint64_t middle = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  hi = p11 + (p01 >> 32) + (p10 >> 32) + (middle >> 32);
  lo = (middle << 32) | (p00 & 0xFFFFFFFFu);
#endif
}

// (hi * 2^64) / d and its remainder, for d with its top bit set and hi < d,
// so that the quotient fits one word: long division in two digits of 32
// bits on the machine's 64-bit division, where a division of 128 bits calls
// a generic routine (as in WebAssembly).
inline void DivideTop(std::uint64_t hi, std::uint64_t d, std::uint64_t& q, std::uint64_t& r) {
  const std::uint64_t d1 = d >> 32, d0 = d & 0xFFFFFFFFu;
  // One digit of (u * 2^32) / d for u < d, u becoming the remainder. The
  // estimate from the divisor's high half is at most 2 too large.
  const auto digit = [&](std::uint64_t& u) {
    std::uint64_t qhat = u / d1;
    std::uint64_t rhat = u - qhat * d1;
    while (qhat >> 32 || qhat * d0 > rhat << 32) {
      --qhat;
      rhat += d1;
      if (rhat >> 32) break;
    }
    // u * 2^32 - qhat * d is below d, so the words' wrap-around gives it.
    u = (u << 32) - qhat * d;
    return qhat;
  };
  std::uint64_t u = hi;
  const std::uint64_t q1 = digit(u);
  const std::uint64_t q0 = digit(u);
  q = q1 << 32 | q0;
  r = u;
}

// The low n bits of x (0 <= n <= 128).
inline Uint128 LowBits(Uint128 x, int n) {
  if (n >= 128) return x;
  if (n == 0) return Make(0, 0);
  return ShiftRight(ShiftLeft(x, 128 - n), 128 - n);
}

}  // namespace wide
