#include "Real.h"

#include <cmath>

Extended ExtendedFromBits(std::uint64_t mantissa, int exponent) {
#if defined(REACTOPT_SOFT_EXTENDED)
  return ldexp(Extended(mantissa), exponent);
#else
  return std::ldexp(static_cast<long double>(mantissa), exponent);
#endif
}

Extended Abs(const Extended& x) {
#if defined(REACTOPT_SOFT_EXTENDED)
  return abs(x);
#else
  return std::fabs(x);
#endif
}

// 0.001L of the x87 compiler.
const Extended kStep = ExtendedFromBits(0x83126e978d4fdf3bULL, -73);
