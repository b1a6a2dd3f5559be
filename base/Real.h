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

#if !defined(REACTOPT_SOFT_EXTENDED) && !(LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384)
#define REACTOPT_SOFT_EXTENDED 1
#endif

#if defined(REACTOPT_SOFT_EXTENDED)
#include <boost/multiprecision/cpp_bin_float.hpp>
// Same significand, exponent range and rounding as the x87 format; no
// expression templates, so every operation rounds as the x87 does.
using Extended = boost::multiprecision::cpp_bin_float_double_extended;
inline constexpr bool kSoftExtended = true;
#else
using Extended = long double;
inline constexpr bool kSoftExtended = false;
#endif

// mantissa * 2^exponent, exact: how the extended constants are made, so that
// both builds use the very bits the x87 compiler gives the literal.
Extended ExtendedFromBits(std::uint64_t mantissa, int exponent);

inline double ToDouble(const Extended& x) { return static_cast<double>(x); }
Extended Abs(const Extended& x);

// A named working quantity. It is stored as a double, but every formula it
// enters is evaluated in extended precision: its only conversion is to
// Extended, so arithmetic on Reals (and on Reals mixed with ints, doubles or
// Extended) runs in extended precision, and storing the result into a Real
// rounds it to a double.
class Real {
 public:
  Real() = default;
  Real(int x) : v_(x) {}                            // NOLINT
  Real(double x) : v_(x) {}                         // NOLINT
  Real(const Extended& x) : v_(ToDouble(x)) {}      // NOLINT: rounding on store is the point
#if defined(REACTOPT_SOFT_EXTENDED)
  // Explicit, so that only the operators below take a Real into a formula.
  explicit operator Extended() const { return Extended(v_); }
#else
  operator Extended() const { return v_; }  // NOLINT
#endif
  double value() const { return v_; }

 private:
  double v_ = 0;
};

inline Extended Abs(Real x) { return Abs(Extended(x)); }

#if defined(REACTOPT_SOFT_EXTENDED)
// The software number has no implicit way to or from Real, so a formula with
// a Real in it would not compile unless these operators take it, in extended
// precision. Nothing here converts a Real to a double: a formula can never fall
// back to double arithmetic.
namespace real_operators {

template <class T>
inline constexpr bool kOperand =
    std::is_same_v<T, Real> || std::is_same_v<T, int> || std::is_same_v<T, double> ||
    std::is_same_v<T, Extended>;

template <class A, class B>
inline constexpr bool kMixed =
    (std::is_same_v<A, Real> || std::is_same_v<B, Real>) && kOperand<A> && kOperand<B>;

inline Extended Ext(const Real& x) { return Extended(x); }
inline Extended Ext(const Extended& x) { return x; }
inline Extended Ext(double x) { return Extended(x); }
inline Extended Ext(int x) { return Extended(x); }

}  // namespace real_operators

#define REACTOPT_REAL_OPERATOR(op, result)                                                  \
  template <class A, class B, std::enable_if_t<real_operators::kMixed<A, B>, int> = 0>      \
  inline result operator op(const A& a, const B& b) {                                      \
    return real_operators::Ext(a) op real_operators::Ext(b);                              \
  }
REACTOPT_REAL_OPERATOR(+, Extended)
REACTOPT_REAL_OPERATOR(-, Extended)
REACTOPT_REAL_OPERATOR(*, Extended)
REACTOPT_REAL_OPERATOR(/, Extended)
REACTOPT_REAL_OPERATOR(==, bool)
REACTOPT_REAL_OPERATOR(!=, bool)
REACTOPT_REAL_OPERATOR(<, bool)
REACTOPT_REAL_OPERATOR(>, bool)
REACTOPT_REAL_OPERATOR(<=, bool)
REACTOPT_REAL_OPERATOR(>=, bool)
#undef REACTOPT_REAL_OPERATOR

inline Extended operator-(const Real& a) { return -Extended(a); }
#endif

// The extended constant nearest to 0.001: the conversion step and the
// integration step of most tasks.
extern const Extended kStep;
