#pragma once
// The numbers of the formulas. Every formula is evaluated in the x87 extended
// format (64-bit significand, round to nearest even) and every named quantity
// is rounded to a double when it is stored; the printed digits depend on both.
//
// `Extended` is the compiler's long double where that is the x87 format. Every
// other platform (and x86 when REACTOPT_SOFT_EXTENDED is defined) gets a
// software number of the same format and rounding, so that a report does not
// depend on the machine it was made on.

#include <cfloat>
#include <cstdint>
#include <type_traits>

// REACTOPT_NATIVE_LONG_DOUBLE keeps long double whatever its format: only for
// measuring what another format would change.
#if !defined(REACTOPT_SOFT_EXTENDED) && !defined(REACTOPT_NATIVE_LONG_DOUBLE) && \
    !(LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384)
#define REACTOPT_SOFT_EXTENDED 1
#endif

#if defined(REACTOPT_SOFT_EXTENDED)
#include "SoftExtended.h"
using Extended = SoftExtended;
inline constexpr bool kSoftExtended = true;
#else
using Extended = long double;
inline constexpr bool kSoftExtended = false;
#endif

// mantissa * 2^exponent, exact: how the extended constants are made, so that
// every build uses the very bits the x87 compiler gives the literal.
Extended ExtendedFromBits(std::uint64_t mantissa, int exponent);
#if defined(REACTOPT_NATIVE_LONG_DOUBLE)
#define REACTOPT_EXTENDED_CONSTANT(mantissa, exponent, literal) (literal)
#else
#define REACTOPT_EXTENDED_CONSTANT(mantissa, exponent, literal) ExtendedFromBits(mantissa, exponent)
#endif

inline double ToDouble(const Extended& x) { return static_cast<double>(x); }
Extended Abs(const Extended& x);

// A named working quantity. It is stored as a double, but every formula it
// enters is evaluated in extended precision: its only implicit conversion is
// to Extended, so arithmetic on Reals (and on Reals mixed with ints, doubles or
// Extended) runs in extended precision, and storing the result into a Real
// rounds it to a double. value() is the stored double, for what is not a
// formula (printing, the chart, the shared double variables).
class Real {
 public:
  Real() = default;
  Real(int x) : v_(x) {}                        // NOLINT
  Real(double x) : v_(x) {}                     // NOLINT
  Real(const Extended& x) : v_(ToDouble(x)) {}  // NOLINT: rounding on store is the point
  operator Extended() const { return v_; }      // NOLINT
  double value() const { return v_; }

 private:
  double v_ = 0;
};

inline Extended Abs(Real x) { return Abs(Extended(x)); }

#if defined(REACTOPT_SOFT_EXTENDED)
// A formula must never fall back to double arithmetic: neither number may
// become a double unless asked to.
static_assert(!std::is_convertible_v<Real, double> && !std::is_convertible_v<Extended, double>,
              "formulas must be evaluated in extended precision");
#endif

// The extended constant nearest to 0.001: the conversion step and the
// integration step of most tasks.
extern const Extended kStep;
