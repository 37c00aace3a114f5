#pragma once

// Arguments of the trigonometric primitives from the ranges that matter and
// the hard regions, reproducible from a seed; shared by the MPFR
// comparisons. Test code only.

#include <cstdint>
#include <cstdio>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "evaluator/extended.h"
#include "tests/oracle/mpfr_extended.h"

namespace trig_arguments {

using evaluator::Extended;

inline bool SameBits(Extended a, Extended b) {
  return a.SignExponent() == b.SignExponent() &&
         a.Significand() == b.Significand();
}

inline std::string Show(Extended x) {
  char text[64];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.SignExponent(),
                static_cast<unsigned long long>(x.Significand()));
  return text;
}

inline Extended Make(bool negative, int exponent, std::uint64_t significand) {
  // exponent of the leading bit; below the normal range the value is
  // written as a subnormal with the same lowest-bit weight.
  int field = exponent + 16383;
  if (field < 1) {
    const int shift = 1 - field;
    significand = shift >= 64 ? 0 : significand >> shift;
    field = 0;
  }
  if (significand == 0) significand = 1;
  return Extended::FromBits(
      static_cast<std::uint16_t>((negative ? 0x8000 : 0) | field), significand);
}

// x moved by `steps` representable values (toward +∞ for positive steps).
inline Extended Step(Extended x, int steps) {
  oracle::UseExtendedRange();
  mpfr_t v;
  mpfr_init2(v, oracle::kExtendedPrecision);
  oracle::ToMpfr(v, x);
  for (; steps > 0; --steps) mpfr_nextabove(v);
  for (; steps < 0; ++steps) mpfr_nextbelow(v);
  mpfr_subnormalize(v, 0, MPFR_RNDN);
  const Extended result = oracle::FromMpfr(v);
  mpfr_clear(v);
  return result;
}

// k·π/2 rounded to `bits` of precision (64 for extended, 53 for doubles).
inline Extended NearMultipleOfHalfPi(std::uint64_t k, int bits) {
  mpfr_t exact, rounded;
  mpfr_init2(exact, 256);
  mpfr_init2(rounded, bits);
  mpfr_const_pi(exact, MPFR_RNDN);
  mpfr_mul_ui(exact, exact, k, MPFR_RNDN);
  mpfr_div_2ui(exact, exact, 1, MPFR_RNDN);
  mpfr_set(rounded, exact, MPFR_RNDN);
  const Extended result = oracle::FromMpfr(rounded);
  mpfr_clear(exact);
  mpfr_clear(rounded);
  return result;
}

// For each exponent below 2^63, a 64-bit significand whose value is among
// the closest to a multiple of π/2 (from the continued fraction of 2/π),
// then some for 53-bit significands.
inline const std::pair<std::uint64_t, int> kCloseToHalfPiMultiples[] = {
#include "tests/oracle/trig_close_to_half_pi.inc"
};

class Arguments {
 public:
  explicit Arguments(std::uint64_t seed) : random_(seed) {}

  // An argument of sine, cosine and tangent below 2^63, from one of the
  // regions in turn.
  Extended Circular(int index) {
    const bool negative = Bit();
    switch (index % 8) {
      case 0: return Make(negative, Uniform(-1, 62), Significand());
      case 1: return Make(negative, Uniform(-70, -1), Significand());
      case 2: return Make(negative, Uniform(-16445 - 63, -70), Significand());
      case 3: {
        const std::uint64_t k = 1 + (random_() >> Uniform(2, 63));
        return Step(NearMultipleOfHalfPi(k, Bit() ? 64 : 53), Uniform(-3, 3));
      }
      case 4: {
        const auto& [significand, exponent] = kCloseToHalfPiMultiples[Uniform(
            0, std::size(kCloseToHalfPiMultiples) - 1)];
        return Step(Make(negative, exponent, significand), Uniform(-2, 2));
      }
      case 5:  // the last values below 2^63
        return Make(negative, 62, ~std::uint64_t{0} - Uniform(0, 1000));
      case 6: return FromDouble(negative, Uniform(-60, 62));
      default: return Make(negative, Uniform(-9, 3), Significand());
    }
  }

  // A point (y, x) for the arc tangent.
  std::pair<Extended, Extended> Point(int index) {
    const bool yNegative = Bit();
    const bool xNegative = Bit();
    switch (index % 7) {
      case 0: {
        const int e = Uniform(-80, 80);
        return {Make(yNegative, e + Uniform(-10, 10), Significand()),
                Make(xNegative, e, Significand())};
      }
      case 1: {  // near the x axis: the angle tiny, subnormal or beyond
        const int e = Uniform(-16000, 16000);
        return {Make(yNegative, e - Uniform(60, 33000), Significand()),
                Make(xNegative, e, Significand())};
      }
      case 2: {  // near the y axis
        const int e = Uniform(-16000, 16000);
        return {Make(yNegative, e, Significand()),
                Make(xNegative, e - Uniform(60, 33000), Significand())};
      }
      case 3: {  // |y| = |x| and a few steps off
        const Extended x = Make(xNegative, Uniform(-16400, 16380), Significand());
        Extended y = Extended::FromBits(
            static_cast<std::uint16_t>((x.SignExponent() & 0x7FFF) |
                                       (yNegative ? 0x8000 : 0)),
            x.Significand());
        return {Step(y, Uniform(-3, 3)), x};
      }
      case 4: return {Make(yNegative, Uniform(-16445, 16383), Significand()),
                      Make(xNegative, Uniform(-16445, 16383), Significand())};
      case 5: return {FromDouble(yNegative, Uniform(-30, 30)),
                      FromDouble(xNegative, Uniform(-30, 30))};
      default: {  // y/x near the table points and the series' edge
        const int e = Uniform(-5, 5);
        return {Make(yNegative, e + Uniform(-9, 0), Significand()),
                Make(xNegative, e, Significand())};
      }
    }
  }

 private:
  bool Bit() { return (random_() & 1) != 0; }
  int Uniform(int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random_);
  }
  std::uint64_t Significand() { return random_() | (std::uint64_t{1} << 63); }
  Extended FromDouble(bool negative, int exponent) {
    return Make(negative, exponent, Significand() & ~std::uint64_t{0x7FF});
  }

  std::mt19937_64 random_;
};

}  // namespace trig_arguments
