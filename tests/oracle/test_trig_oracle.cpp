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
#include "tests/oracle/trig_arguments.h"

namespace {

using evaluator::Extended;
using namespace trig_arguments;

constexpr int kNormalCount = 3000;

int LongCount() {
  const char* text = std::getenv("EVALO_ORACLE_COUNT");
  return text != nullptr ? std::atoi(text) : 1000000;
}

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
