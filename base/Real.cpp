#include "Real.h"

#include <cmath>

Extended ExtendedFromBits(std::uint64_t mantissa, int exponent) {
#if defined(REACTOPT_SOFT_EXTENDED)
  return SoftExtended::FromParts(false, mantissa, exponent);
#else
  // Halving is exact and needs no library routine for the long double format.
  long double x = static_cast<long double>(mantissa);
  for (; exponent < 0; ++exponent) x *= 0.5L;
  for (; exponent > 0; --exponent) x *= 2;
  return x;
#endif
}

Extended Abs(const Extended& x) {
#if defined(REACTOPT_SOFT_EXTENDED)
  return x.Negative() ? -x : x;
#else
  return std::fabs(x);
#endif
}

const Extended kStep = REACTOPT_EXTENDED_CONSTANT(0x83126e978d4fdf3bULL, -73, 0.001L);
