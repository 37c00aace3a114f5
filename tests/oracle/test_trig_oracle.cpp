// Sine, cosine, tangent and the two-argument arc tangent against MPFR,
// bit for bit: the ranges that matter and the hard regions (near multiples
// of π/2, tiny and subnormal arguments, the 2^63 limit, the axes and the
// diagonal for the arc tangent). The long variants take their count from
// EVALO_ORACLE_COUNT (default one million per primitive).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "evaluator/primitives.h"
#include "tests/oracle/mpfr_extended.h"

namespace {

using evaluator::Extended;

constexpr int kNormalCount = 3000;

int LongCount() {
  const char* text = std::getenv("EVALO_ORACLE_COUNT");
  return text != nullptr ? std::atoi(text) : 1000000;
}

bool SameBits(Extended a, Extended b) {
  return a.SignExponent() == b.SignExponent() &&
         a.Significand() == b.Significand();
}

std::string Show(Extended x) {
  char text[64];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.SignExponent(),
                static_cast<unsigned long long>(x.Significand()));
  return text;
}

Extended Make(bool negative, int exponent, std::uint64_t significand) {
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
Extended Step(Extended x, int steps) {
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
Extended NearMultipleOfHalfPi(std::uint64_t k, int bits) {
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
const std::pair<std::uint64_t, int> kCloseToHalfPiMultiples[] = {
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

Extended ReferenceAtan2(Extended y, Extended x) {
  oracle::UseExtendedRange();
  mpfr_t my, mx, out;
  mpfr_init2(my, oracle::kExtendedPrecision);
  mpfr_init2(mx, oracle::kExtendedPrecision);
  mpfr_init2(out, oracle::kExtendedPrecision);
  oracle::ToMpfr(my, y);
  oracle::ToMpfr(mx, x);
  const Extended result =
      oracle::FinishRounding(out, mpfr_atan2(out, my, mx, MPFR_RNDN));
  mpfr_clear(my);
  mpfr_clear(mx);
  mpfr_clear(out);
  return result;
}

using Unary = Extended (*)(Extended) noexcept;
using MpfrUnary = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

struct Circular {
  const char* name;
  Unary function;
  MpfrUnary reference;
};

const Circular kCircular[] = {
    {"Sine", evaluator::Sine, mpfr_sin},
    {"Cosine", evaluator::Cosine, mpfr_cos},
    {"Tangent", evaluator::Tangent, mpfr_tan},
};

// Compares `count` arguments per function; reports the first few misses.
void CompareCircular(int count, std::uint64_t seed) {
  for (const Circular& f : kCircular) {
    Arguments arguments(seed);
    int misses = 0;
    for (int i = 0; i < count; ++i) {
      const Extended x = arguments.Circular(i);
      const Extended expected = oracle::Reference(f.reference, x);
      const Extended actual = f.function(x);
      if (!SameBits(actual, expected) && ++misses <= 10)
        ADD_FAILURE() << f.name << "(" << Show(x) << ") = " << Show(actual)
                      << ", MPFR " << Show(expected);
    }
    EXPECT_EQ(misses, 0) << f.name << ": " << misses << " of " << count;
  }
}

void CompareArcTangent2(int count, std::uint64_t seed) {
  Arguments arguments(seed);
  int misses = 0;
  for (int i = 0; i < count; ++i) {
    const auto [y, x] = arguments.Point(i);
    const Extended expected = ReferenceAtan2(y, x);
    const Extended actual = evaluator::ArcTangent2(y, x);
    if (!SameBits(actual, expected) && ++misses <= 10)
      ADD_FAILURE() << "ArcTangent2(" << Show(y) << ", " << Show(x)
                    << ") = " << Show(actual) << ", MPFR " << Show(expected);
  }
  EXPECT_EQ(misses, 0) << misses << " of " << count;
}

TEST(TrigOracle, CircularFunctionsMatchMpfr) { CompareCircular(kNormalCount, 1); }
TEST(TrigOracle, ArcTangent2MatchesMpfr) { CompareArcTangent2(kNormalCount, 2); }

TEST(TrigOracleLong, CircularFunctionsMatchMpfr) {
  CompareCircular(LongCount(), 11);
}
TEST(TrigOracleLong, ArcTangent2MatchesMpfr) {
  CompareArcTangent2(LongCount(), 12);
}

constexpr Extended kPositiveZero = Extended::FromBits(0, 0);
constexpr Extended kNegativeZero = Extended::FromBits(0x8000, 0);
constexpr Extended kInfinity = Extended::FromBits(0x7FFF, std::uint64_t{1} << 63);
constexpr Extended kNegativeInfinity =
    Extended::FromBits(0xFFFF, std::uint64_t{1} << 63);
constexpr Extended kNaN = Extended::FromBits(0x7FFF, 0xC000000000000000u);
constexpr Extended kOne = Extended::FromBits(0x3FFF, std::uint64_t{1} << 63);
constexpr Extended kMinusOne = Extended::FromBits(0xBFFF, std::uint64_t{1} << 63);
constexpr Extended kSmallestSubnormal = Extended::FromBits(0, 1);
constexpr Extended kLargest = Extended::FromBits(0x7FFE, ~std::uint64_t{0});

// Exact results, signed zeros, the smallest arguments and the
// range limit.
TEST(TrigOracle, SpecialArgumentsOfTheCircularFunctions) {
  const Extended arguments[] = {
      kPositiveZero, kNegativeZero, kSmallestSubnormal,
      Extended::FromBits(0x8000, 1), Extended::FromBits(0, 0x7FFFFFFFFFFFFFFFu),
      Extended::FromBits(1, std::uint64_t{1} << 63),
      Extended::FromBits(0x403D, ~std::uint64_t{0}),  // 2^63 − 1 ulp
      Extended::FromBits(0xC03D, ~std::uint64_t{0})};
  for (const Circular& f : kCircular)
    for (Extended x : arguments)
      EXPECT_TRUE(SameBits(f.function(x), oracle::Reference(f.reference, x)))
          << f.name << "(" << Show(x) << ")";
  EXPECT_TRUE(SameBits(evaluator::Sine(kNegativeZero), kNegativeZero));
  EXPECT_TRUE(SameBits(evaluator::Tangent(kNegativeZero), kNegativeZero));
  EXPECT_TRUE(SameBits(evaluator::Cosine(kNegativeZero), kOne));
  // 2^63 and beyond, infinities and NaN are no arguments: NaN comes back.
  for (Extended x : {Extended::FromBits(0x403E, std::uint64_t{1} << 63),
                     kInfinity, kNaN})
    for (const Circular& f : kCircular)
      EXPECT_EQ(f.function(x).SignExponent() & 0x7FFF, 0x7FFF) << f.name;
}

TEST(TrigOracle, ArcTangent2OfZerosInfinitiesAndAxes) {
  const Extended values[] = {kPositiveZero, kNegativeZero,     kOne,
                             kMinusOne,     kInfinity,         kNegativeInfinity,
                             kNaN,          kSmallestSubnormal, kLargest};
  for (Extended y : values)
    for (Extended x : values)
      EXPECT_TRUE(SameBits(evaluator::ArcTangent2(y, x), ReferenceAtan2(y, x)))
          << "ArcTangent2(" << Show(y) << ", " << Show(x) << ")";
  // The cases the angle conventions rest on, independent of MPFR.
  EXPECT_TRUE(SameBits(evaluator::ArcTangent2(kNegativeZero, kPositiveZero),
                       kNegativeZero));
  const Extended pi = evaluator::ArcTangent2(kPositiveZero, kMinusOne);
  EXPECT_EQ(pi.SignExponent(), 0x4000);
  EXPECT_EQ(pi.Significand(), 0xC90FDAA22168C235u);
  EXPECT_TRUE(SameBits(evaluator::ArcTangent2(kPositiveZero, kNegativeZero), pi));
}

}  // namespace
