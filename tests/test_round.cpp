// Rounding by a numeric format text N or N.M.
//
// Expected values are the doubles the rounding steps give, worked out from
// the steps; the ones that are not plain decimals (scales below one, the
// extended quotient, scales near the ends of the double range) were checked
// with exact rational arithmetic that rounds each step to a 64-bit or a
// 53-bit significand, independently of the code under test. That oracle is
// kept at the end of this file.
#include <gtest/gtest.h>

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "presentation/round.h"

namespace {

constexpr double kMax = std::numeric_limits<double>::max();
constexpr double kSmallestSubnormal = std::numeric_limits<double>::denorm_min();
constexpr int kFaults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

struct RoundCase {
  const char* name;
  const char* format;
  double x;
  double expected;
};

void ExpectRounded(const RoundCase& c) {
  SCOPED_TRACE(c.name);
  std::feclearexcept(FE_ALL_EXCEPT);
  const double result = presentation::RoundByFormat(c.format, c.x);
  EXPECT_EQ(std::fetestexcept(kFaults), 0) << "a floating-point fault was left behind";
  EXPECT_EQ(Bits(result), Bits(c.expected))
      << "format \"" << c.format << "\", " << c.x << " gave " << result << " (" << std::hexfloat << result
      << "), expected " << c.expected;
}

TEST(RoundSignificantDigits, WithoutDecimalsPart) {
  const RoundCase cases[] = {
      {"blank_is_fourteen_digits", " ", 0.1 + 0.2, 0.3},
      {"three_digits", "3", 3.14159, 3.14},
      {"three_digits_integer", "3", 123456, 123000},
      {"three_digits_small", "3", 0.000123456, 0.000123},
      {"seven_digits_half", "7", 1234567.5, 1234568},
      {"half_up", "1", 2.5, 3},
      {"negative_half_away_from_zero", "1", -2.5, -3},
      // Exact binary ties go up in magnitude.
      {"binary_tie_0_125", "2", 0.125, 0.13},
      {"binary_tie_0_375", "2", 0.375, 0.38},
      {"negative_binary_tie", "2", -0.125, -0.13},
      {"thousands_comma_reads_one", "1,000", 2345, 2000},
  };
  for (const RoundCase& c : cases) ExpectRounded(c);
}

TEST(RoundDecimals, WithDecimalsPart) {
  const RoundCase cases[] = {
      {"two_decimals", "5.2", 3.14159, 3.14},
      {"below_half_of_last_decimal", "5.2", 0.004, 0},
      {"half_of_last_decimal", "5.2", 0.005, 0.01},
      {"significant_digits_win", "5.2", 123456.789, 123460},
      {"significant_digits_win_over_five", "2.5", 123.456, 120},
      {"decimals_without_digits", ".3", 2.71828, 2.718},
      {"decimals_out_of_range_is_fourteen", "5.20", 3.14159265, 3.1416},
      {"point_at_end_counts_as_none", "5.", 3.7, 3.7},
      {"point_and_blank_is_no_decimals", "5. ", 3.7, 4},
      // The sign is applied after rounding, so a negative value that rounds
      // away keeps it.
      {"negative_rounds_to_negative_zero", "5.2", -0.004, -0.0},
      // 2.675 is 2.67499999999999982...; times 100 plus one half at extended
      // precision is 267.99999999999998..., which becomes 268 as a double.
      {"decimal_looking_tie_up", ".2", 2.675, 2.68},
      // 1.005 is 1.00499999999999989...; the sum stays below 101.
      {"decimal_looking_tie_down", ".2", 1.005, 1},
  };
  for (const RoundCase& c : cases) ExpectRounded(c);
}

TEST(RoundFormatText, LeadingIntegerAndDefaults) {
  constexpr double kThird = 1.0 / 3;
  constexpr double kThirdToFourteen = 0x1.5555555555519p-2;  // 0.33333333333333
  const RoundCase cases[] = {
      {"empty_leaves_value", "", 3.14159, 3.14159},
      {"zero_is_fourteen", "0", kThird, kThirdToFourteen},
      {"negative_is_fourteen", "-5", kThird, kThirdToFourteen},
      {"fifteen_is_fourteen", "15", kThird, kThirdToFourteen},
      {"blank_is_fourteen", " ", kThird, kThirdToFourteen},
      {"plus_sign", "+3", 3.14159, 3.14},
      {"leading_blanks_and_tab", " \t3", 3.14159, 3.14},
      {"letters_after_digits_ignored", "3x", 3.14159, 3.14},
      // 2^32 + 3 and 2^32 + 2: a reading that wraps would give 3 digits and
      // 2 decimals; saturated, they are out of range and mean 14.
      {"long_digit_run_for_digits", "4294967299", 3.14159, 3.14159},
      {"long_digit_run_for_decimals", "9.4294967298", 3.14159, 3.14159},
  };
  for (const RoundCase& c : cases) ExpectRounded(c);
}

TEST(RoundSignedZero, ZeroBecomesPositive) {
  const RoundCase cases[] = {
      {"negative_zero_significant", "3", -0.0, 0.0},
      {"negative_zero_blank", " ", -0.0, 0.0},
      {"negative_zero_decimals", "5.2", -0.0, 0.0},
      {"positive_zero", "5.2", 0.0, 0.0},
      {"empty_keeps_negative_zero", "", -0.0, -0.0},
  };
  for (const RoundCase& c : cases) ExpectRounded(c);
}

// The scales below one are what repeated multiplication by an extended
// tenth gives, each rounded to a double; the quotient by the scale is taken
// at extended precision. Each case here changes if one of these is not so.
TEST(RoundScaleArithmetic, ScalesAndQuotientFollowTheSteps) {
  const RoundCase cases[] = {
      // Scale 1.0000000000000002e-06 (not the nearest double to 10^-6):
      // 3 / that scale is 2999999.99999999940..., nearest double below 3e6.
      {"sixth_tenth_scale", "1", 2.5e6, 0x1.6e35fffffffffp+21},
      {"seventh_tenth_scale", "1", 2.5e7, 0x1.c9c37fffffffep+24},
      // With a double tenth the third scale would be 0.0010000000000000002
      // and the result 1999.9999999999995.
      {"extended_tenth", "1", 2496.04290558141, 2000},
      // 792619711580 / 1e17 rounded once to a double is 7.9261971158e-06;
      // through the extended quotient it is the double below.
      {"extended_quotient", "11", 7.926197115849481e-06, 0x1.09f583c925d2cp-17},
      // Products rounded to doubles would give 9.999999999999999e-26 back.
      {"extended_products", "2", 9.999999999999999e-26, 0x1.ef2d0f5da7dd9p-84},  // 1e-25
  };
  for (const RoundCase& c : cases) ExpectRounded(c);
}

// Independent check of the premise above: multiplying by the extended
// tenth and rounding to a double each time departs from the nearest doubles
// to 10^-k at k = 6. A platform without an 80-bit long double fails here.
TEST(RoundScaleArithmetic, TenthScalesDepartFromNearestAtTheSixth) {
  double d = 1;
  for (int k = 1; k <= 6; ++k) d = static_cast<double>(static_cast<long double>(d) * 0.1L);
  EXPECT_EQ(Bits(d), Bits(0x1.0c6f7a0b5ed8ep-20));  // 1.0000000000000002e-06
  EXPECT_NE(Bits(d), Bits(1e-6));
}

// Magnitudes so small that the scale would have to pass the largest double
// come back unchanged; the smallest that can still be lifted are rounded.
TEST(RoundLimits, TooSmallToLiftIsUnchanged) {
  const RoundCase cases[] = {
      {"fourteen_digits", "14", 1e-300, 1e-300},
      {"smallest_subnormal", "1", kSmallestSubnormal, kSmallestSubnormal},
      {"negative_keeps_sign", "3", -1.23456e-306, -1.23456e-306},
      {"just_below_the_lift", "3", 1.23456e-306, 1.23456e-306},
      {"just_above_the_lift", "3", 1.23456e-305, 0x1.146533a863e52p-1013},  // 1.2300000000000003e-305
      {"with_decimals_rounds_to_zero", "3.2", 1e-300, 0},
  };
  for (const RoundCase& c : cases) ExpectRounded(c);
}

// Near the largest double, rounding up would leave the double range: the
// value then comes back unrounded.
TEST(RoundLimits, OverflowingRoundUpIsUnchanged) {
  const RoundCase cases[] = {
      {"one_digit_up", "1", 1.7e308, 1.7e308},
      {"largest_double", "1", kMax, kMax},
      {"negative_largest_double", "1", -kMax, -kMax},
      // Rounds down: the scale has reached the subnormals, so the result is
      // close to, but not exactly, 1e308.
      {"one_digit_down", "1", 1.2e308, 0x1.1ccf385ebc896p+1023},
      // 179769313486232 over a scale near 1e-294 stays finite.
      {"fourteen_digits_largest", "14", kMax, 0x1.fffffffffff9cp+1023},
      {"three_digits", "3", 1.7e308, 0x1.e42d130773b65p+1023},
  };
  for (const RoundCase& c : cases) ExpectRounded(c);
}

// Every format against the extremes of the double range: finite in,
// finite out, and no fault flag raised.
TEST(RoundLimits, FiniteInFiniteOutWithoutFaults) {
  const double values[] = {kMax,   -kMax, 1.7e308, 1.5e308, 1e308,  9.999e307, 4.5e307,
                           1e-294, 1e-300, 1e-305, 1e-307,  std::numeric_limits<double>::min(),
                           kSmallestSubnormal,      -kSmallestSubnormal};
  for (int n = 1; n <= 14; ++n) {
    for (int m = -1; m <= 14; ++m) {
      std::string format = std::to_string(n);
      if (m >= 0) format += '.' + std::to_string(m);
      for (const double x : values) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const double result = presentation::RoundByFormat(format.c_str(), x);
        ASSERT_TRUE(std::isfinite(result)) << format << " " << x;
        ASSERT_EQ(std::fetestexcept(kFaults), 0) << format << " " << x;
      }
    }
  }
}

TEST(RoundLimits, NonFiniteComesBackUnchanged) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(presentation::RoundByFormat("3", kInf), kInf);
  EXPECT_EQ(presentation::RoundByFormat("3", -kInf), -kInf);
  EXPECT_TRUE(std::isnan(presentation::RoundByFormat("3", std::numeric_limits<double>::quiet_NaN())));
}

}  // namespace

// The oracle (Python 3, exact rationals). Each step is rounded as the
// design says: products, sums, the tenth and quotients to 64 bits, scales
// and the final result to 53 bits with subnormals, ties to even. Fractions
// have no negative zero: a zero result carries the sign s in IEEE terms,
// except for a zero input, which gives +0.
//
//   from fractions import Fraction as F
//   import math
//   def rnd(q, p, emin):
//       if q == 0: return F(0)
//       s, a = (-1 if q < 0 else 1), abs(q)
//       e = a.numerator.bit_length() - a.denominator.bit_length()
//       while F(2)**e > a: e -= 1
//       while F(2)**(e + 1) <= a: e += 1
//       ulp = F(2)**(max(e, emin) - p + 1)
//       n = a / ulp; fl = n.numerator // n.denominator; rem = n - fl
//       if rem > F(1, 2) or (rem == F(1, 2) and fl % 2): fl += 1
//       return s * fl * ulp                      # >= 2**1024 means overflow
//   X = lambda q: rnd(q, 64, -16382); D = lambda q: rnd(q, 53, -1022)
//   TENTH = X(F(1, 10)); DMAX = (2 - F(1, 2**52)) * F(2)**1023
//   def lead_int(t):                            # blanks, sign, digits
//       t = t.lstrip('\t\n\v\f\r '); neg = t[:1] == '-'
//       t = t[1:] if t[:1] in ('+', '-') else t
//       digits = t[:len(t) - len(t.lstrip('0123456789'))]
//       return (-1 if neg else 1) * int(digits or '0')
//   def round_by_format(fmt, x):
//       x = F(x); s = -1 if x < 0 else 1; x = abs(x)
//       if fmt == '' or x == 0: return s * x
//       n = lead_int(fmt); n = 14 if n < 1 or n > 14 else n; a = F(10)**n
//       dot = fmt.find('.')
//       if 0 <= dot < len(fmt) - 1:
//           m = lead_int(fmt[dot + 1:]); d = F(10)**(14 if m < 0 or m > 14 else m)
//       else:
//           d = F(1)
//           while X(d * x) < a:
//               if d > DMAX / 10: return s * x    # too small to lift
//               d = D(d * 10)
//       while X(d * x) >= a: d = D(X(d * TENTH))
//       q = D(X(F(math.floor(D(X(X(d * x) + F(1, 2))))) / d))
//       return s * x if q >= F(2)**1024 else s * q  # overflowing round-up
