#pragma once

// Exact conversions between Extended and MPFR numbers, and MPFR's
// correctly rounded result of a function on an Extended: the reference the
// library's primitives are compared with bit for bit. Test code only.

// <cstdint> first: MPFR declares its intmax_t functions only after it.
#include <cstdint>

#include <mpfr.h>

#include "evaluator/extended.h"

namespace oracle {

using evaluator::Extended;

inline constexpr mpfr_prec_t kExtendedPrecision = 64;
// MPFR writes values as 0.1xxx·2^e: the smallest subnormal 2^-16445 has
// e = −16444; the largest finite value is below 2^16384.
inline constexpr mpfr_exp_t kExtendedMinExponent = -16444;
inline constexpr mpfr_exp_t kExtendedMaxExponent = 16384;
inline constexpr int kLowestBitWeight = -16445;

// Makes MPFR's exponent range the extended format's, so that overflow,
// underflow and (with mpfr_subnormalize) gradual underflow round like it.
inline void UseExtendedRange() {
  mpfr_set_emin(kExtendedMinExponent);
  mpfr_set_emax(kExtendedMaxExponent);
}

// Sets `out` (any precision ≥ 64) to exactly the value of x.
inline void ToMpfr(mpfr_t out, Extended x) {
  bool negative = (x.SignExponent() & 0x8000) != 0;
  int field = x.SignExponent() & 0x7FFF;
  std::uint64_t significand = x.Significand();
  if (field == 0x7FFF) {
    if ((significand << 1) == 0)
      mpfr_set_inf(out, negative ? -1 : 1);
    else
      mpfr_set_nan(out);
    return;
  }
  int lowestBitWeight = (field == 0 ? 1 : field) - 16383 - 63;
  // The significand has 64 bits: exact at any precision ≥ 64. The
  // exponent range may not hold the value while it is being built, so the
  // range is widened for the call.
  mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
  mpfr_set_emin(mpfr_get_emin_min());
  mpfr_set_emax(mpfr_get_emax_max());
  mpfr_set_uj_2exp(out, significand, lowestBitWeight, MPFR_RNDN);
  if (negative) mpfr_neg(out, out, MPFR_RNDN);
  mpfr_set_emin(emin);
  mpfr_set_emax(emax);
}

// The Extended equal to x, which must already be representable (64 bits,
// within the extended range, subnormals on the subnormal grid).
inline Extended FromMpfr(const mpfr_t x) {
  if (mpfr_nan_p(x)) return Extended::FromBits(0x7FFF, 0xC000000000000000u);
  bool negative = mpfr_signbit(x) != 0;
  std::uint16_t sign = negative ? 0x8000 : 0;
  if (mpfr_inf_p(x))
    return Extended::FromBits(sign | 0x7FFF, 0x8000000000000000u);
  if (mpfr_zero_p(x)) return Extended::FromBits(sign, 0);
  mpfr_exp_t e = mpfr_get_exp(x);  // |x| in [2^(e−1), 2^e)
  int lowestBitWeight = static_cast<int>(e) - 64;
  if (lowestBitWeight < kLowestBitWeight) lowestBitWeight = kLowestBitWeight;
  mpfr_t scaled;
  mpfr_init2(scaled, mpfr_get_prec(x));
  mpfr_exp_t emin = mpfr_get_emin(), emax = mpfr_get_emax();
  mpfr_set_emin(mpfr_get_emin_min());
  mpfr_set_emax(mpfr_get_emax_max());
  mpfr_abs(scaled, x, MPFR_RNDN);
  mpfr_mul_2si(scaled, scaled, -lowestBitWeight, MPFR_RNDN);
  std::uint64_t significand = mpfr_get_uj(scaled, MPFR_RNDN);
  mpfr_set_emin(emin);
  mpfr_set_emax(emax);
  mpfr_clear(scaled);
  int field = (significand >> 63) ? lowestBitWeight + 63 + 16383 : 0;
  return Extended::FromBits(static_cast<std::uint16_t>(sign | field),
                            significand);
}

// Rounds a value MPFR has just computed into `y` (ternary value t, with the
// extended range in force) the way the extended format does.
inline Extended FinishRounding(mpfr_t y, int t) {
  t = mpfr_check_range(y, t, MPFR_RNDN);
  mpfr_subnormalize(y, t, MPFR_RNDN);
  return FromMpfr(y);
}

// f(x) rounded to extended by MPFR, for f an MPFR function such as mpfr_log2.
template <class Function>
Extended Reference(Function f, Extended x) {
  UseExtendedRange();
  mpfr_t in, out;
  mpfr_init2(in, kExtendedPrecision);
  mpfr_init2(out, kExtendedPrecision);
  ToMpfr(in, x);
  Extended result = FinishRounding(out, f(out, in, MPFR_RNDN));
  mpfr_clear(in);
  mpfr_clear(out);
  return result;
}

}  // namespace oracle
