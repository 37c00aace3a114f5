// Rounding wide values to extended, against MPFR rounding the same values.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "evaluator/wide.h"
#include "tests/oracle/mpfr_extended.h"

namespace {

using evaluator::Extended;
using namespace evaluator::wide;

Extended MpfrRounding(const Unsigned<3>& magnitude, int exponent, bool negative) {
  oracle::UseExtendedRange();
  mpfr_t exact, rounded;
  mpfr_init2(exact, 192);
  mpfr_init2(rounded, oracle::kExtendedPrecision);
  mpfr_set_emin(mpfr_get_emin_min());
  mpfr_set_emax(mpfr_get_emax_max());
  mpfr_t limb;
  mpfr_init2(limb, 64);
  mpfr_set_ui(exact, 0, MPFR_RNDN);
  for (std::size_t i = 0; i < 3; ++i) {
    mpfr_set_uj_2exp(limb, magnitude.limbs[i], exponent + 64 * static_cast<int>(i), MPFR_RNDN);
    mpfr_add(exact, exact, limb, MPFR_RNDN);
  }
  mpfr_clear(limb);
  if (negative) mpfr_neg(exact, exact, MPFR_RNDN);
  oracle::UseExtendedRange();
  Extended result =
      oracle::FinishRounding(rounded, mpfr_set(rounded, exact, MPFR_RNDN));
  mpfr_clear(exact);
  mpfr_clear(rounded);
  return result;
}

std::string Bits(Extended x) {
  char text[32];
  std::snprintf(text, sizeof text, "%04X:%016llX", x.SignExponent(),
                static_cast<unsigned long long>(x.Significand()));
  return text;
}

// Random widths, exponents across the normal, subnormal, overflow and
// underflow ranges, and values with few set bits so that ties occur.
TEST(WideRounding, MatchesMpfrAcrossTheRange) {
  std::mt19937_64 random(12);
  const int exponents[] = {-16445 - 200, -16445 - 130, -16445 - 66, -16445,
                           -16382 - 150, -150, -64, 0, 16384 - 192,
                           16384 - 130, 16384 - 60};
  for (int round = 0; round < 20000; ++round) {
    Unsigned<3> magnitude;
    int width = static_cast<int>(random() % 193);
    for (Limb& limb : magnitude.limbs) limb = random();
    if (round % 3 == 0) {  // sparse: a tie or an exact value is likely
      magnitude = Unsigned<3>{};
      for (int k = 0; k < 3; ++k) {
        int bit = static_cast<int>(random() % 192);
        magnitude.limbs[bit / 64] |= Limb{1} << (bit % 64);
      }
    }
    magnitude = ShiftRight(magnitude, 192 - width);
    int exponent = exponents[random() % std::size(exponents)] +
                   static_cast<int>(random() % 130) - 65;
    bool negative = random() & 1;
    Extended ours = RoundExact(negative, magnitude, exponent);
    Extended theirs = MpfrRounding(magnitude, exponent, negative);
    ASSERT_EQ(Bits(ours), Bits(theirs))
        << "width " << width << " exponent " << exponent;
  }
}

// Whatever RoundWithin decides, both ends of the interval round to it; it
// may leave undecided an interval whose ends round alike only in the rare
// cases where it errs on the safe side (an end on a tie, or within the one
// unit it adds for the bits it does not look at).
TEST(WideRounding, WithinABoundAgreesWithBothEnds) {
  std::mt19937_64 random(13);
  int decided = 0, endsAgree = 0;
  for (int round = 0; round < 20000; ++round) {
    Unsigned<3> magnitude;
    for (Limb& limb : magnitude.limbs) limb = random();
    magnitude = ShiftRight(magnitude, static_cast<int>(random() % 180));
    if (round % 4 == 0) {  // put the dropped bits near the halfway point
      int top = HighestBit(magnitude);
      if (top > 66) {
        magnitude = ShiftRight(magnitude, top - 64);
        magnitude = ShiftLeft(magnitude, top - 64);
        magnitude.limbs[(top - 64) / 64] |= Limb{1} << ((top - 64) % 64);
        AddSmall(magnitude, random() % 64);
      }
    }
    const Limb error = random() >> (1 + random() % 63);
    const int exponent = static_cast<int>(random() % 400) - 300;
    const bool negative = random() & 1;
    Unsigned<3> low = magnitude, high = magnitude, errorWide;
    errorWide.limbs[0] = error;
    if (SubtractFrom(low, errorWide) != 0 || AddSmall(high, error) != 0) continue;
    const std::string lowRounded = Bits(MpfrRounding(low, exponent, negative));
    const std::string highRounded = Bits(MpfrRounding(high, exponent, negative));
    const auto result = RoundWithin(negative, magnitude, exponent, error);
    if (lowRounded == highRounded) ++endsAgree;
    if (result) {
      ++decided;
      ASSERT_EQ(Bits(*result), lowRounded);
      ASSERT_EQ(Bits(*result), highRounded);
    }
  }
  EXPECT_GT(decided, endsAgree * 98 / 100);
  EXPECT_GT(decided, 5000);
}

// An interval that straddles a rounding boundary is undecided; one that
// does not gives the common rounding.
TEST(WideRounding, WithinABoundDecidesOnlyWhenBothEndsAgree) {
  Unsigned<2> tie;  // 2^64 + 1: halfway between 2^64 and 2^64 + 2
  tie.limbs[1] = 1;
  tie.limbs[0] = 1;
  EXPECT_FALSE(RoundWithin(false, tie, 0, 1).has_value());
  Extended exact = RoundExact(false, tie, 0);
  EXPECT_EQ(exact.Significand(), Limb{1} << 63);  // tie goes to even
  Unsigned<2> clear = tie;
  clear.limbs[0] = 0x8000000000000000u;  // 2^64 + 2^63 ± 15/16 (ulp 2)
  auto decided = RoundWithin(false, ShiftLeft(clear, 4), -4, 15);
  ASSERT_TRUE(decided.has_value());
  EXPECT_EQ(Bits(*decided), Bits(RoundExact(false, clear, 0)));
}

}  // namespace
