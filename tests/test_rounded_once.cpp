#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <random>
#include <string_view>
#include <vector>

#include "evaluator/extended.h"
#include "evaluator/operations.h"
#include "evaluator/rounded_once.h"

// The double shortcuts against the extended step they stand for: whenever a
// shortcut answers, its double must be the extended result's rounding, bit
// for bit. The operands are built to land next to the midpoints between
// doubles, where rounding twice differs from rounding once.
namespace evaluator {
namespace {

using soft::UInt128;
__extension__ typedef __int128 Int128;

enum class Op { kSum, kDifference, kProduct, kQuotient, kSquareRoot };

std::optional<double> Shortcut(Op op, double a, double b) {
  switch (op) {
    case Op::kSum: return rounded_once::Sum(a, b);
    case Op::kDifference: return rounded_once::Sum(a, -b);
    case Op::kProduct: return rounded_once::Product(a, b);
    case Op::kQuotient: return rounded_once::Quotient(a, b);
    case Op::kSquareRoot: return rounded_once::SquareRootByPower(a);
  }
  return std::nullopt;
}

// What the extended step gives, rounded to a double (non-finite for the
// faults).
double ExtendedThenDouble(Op op, double a, double b) {
  const Extended x(a);
  const Extended y(b);
  switch (op) {
    case Op::kSum: return static_cast<double>(x + y);
    case Op::kDifference: return static_cast<double>(x - y);
    case Op::kProduct: return static_cast<double>(x * y);
    case Op::kQuotient: return static_cast<double>(x / y);
    case Op::kSquareRoot: return static_cast<double>(RaisePower(a, 0.5));
  }
  return 0;
}

// The plain double operation: rounded once from the exact value.
double DirectDouble(Op op, double a, double b) {
  switch (op) {
    case Op::kSum: return a + b;
    case Op::kDifference: return a - b;
    case Op::kProduct: return a * b;
    case Op::kQuotient: return a / b;
    case Op::kSquareRoot: return std::sqrt(a);
  }
  return 0;
}

std::uint64_t BitsOf(double d) { return std::bit_cast<std::uint64_t>(d); }

struct Tally {
  int answered = 0;
  int declined = 0;
  int twiceDiffersFromOnce = 0;  // cases where the shortcut must not answer
};

void ExpectSameAsExtended(Op op, double a, double b, Tally& tally) {
  const double reference = ExtendedThenDouble(op, a, b);
  if (std::isfinite(reference) && BitsOf(reference) != BitsOf(DirectDouble(op, a, b)))
    ++tally.twiceDiffersFromOnce;
  const std::optional<double> fast = Shortcut(op, a, b);
  if (!fast) {
    ++tally.declined;
    return;
  }
  ++tally.answered;
  EXPECT_TRUE(std::isfinite(reference)) << std::hexfloat << a << ", " << b << " answered a fault";
  EXPECT_EQ(BitsOf(*fast), BitsOf(reference))
      << std::hexfloat << "operands " << a << ", " << b << ": got " << *fast << ", want " << reference;
}

double Scaled(std::uint64_t integer, int exponent, bool negative) {
  const double d = std::ldexp(static_cast<double>(integer), exponent);
  return negative ? -d : d;
}

// A random double of about 2^exponent, any fraction.
double RandomNear(std::mt19937_64& random, int exponent) {
  const std::uint64_t fraction = random() >> 12;
  return std::ldexp(1.0 + std::ldexp(static_cast<double>(fraction), -52), exponent);
}

// The inverse of an odd number modulo 2^64 (Newton's iteration).
std::uint64_t InverseOdd(std::uint64_t b) {
  std::uint64_t inverse = b;
  for (int i = 0; i < 6; ++i) inverse *= 2 - b * inverse;
  return inverse;
}

TEST(RoundedOnce, NamedEdgesAgreeWithTheExtendedStep) {
  constexpr double kMax = std::numeric_limits<double>::max();
  constexpr double kTiny = std::numeric_limits<double>::denorm_min();
  constexpr double kMinNormal = std::numeric_limits<double>::min();
  struct Case {
    Op op;
    double a;
    double b;
  };
  const Case cases[] = {
      {Op::kSum, 0.0, -0.0},       {Op::kSum, -0.0, -0.0},    {Op::kDifference, -0.0, 0.0},
      {Op::kSum, 1.5, -1.5},       {Op::kSum, kMax, kMax},     {Op::kDifference, -kMax, kMax},
      {Op::kSum, kTiny, kTiny},    {Op::kSum, kMinNormal, -kTiny},
      // Just below the midpoint under a power of two: rounded to 64 bits
      // it lands on the midpoint and the tie goes up to 1.
      {Op::kSum, 1.0, -(0x1p-54 + 0x1p-66)},
      {Op::kSum, 1.0, 0x1p-53 + 0x1p-65},   {Op::kSum, 1.0, 0x1p-53 - 0x1p-66},
      {Op::kProduct, -0.0, 5.0},   {Op::kProduct, 0.0, -kMax}, {Op::kProduct, 0x1p-600, 0x1p-600},
      {Op::kProduct, 0x1.8p1000, 0x1p30}, {Op::kProduct, 3.0, kTiny},
      {Op::kQuotient, 1.0, 0.0},   {Op::kQuotient, 0.0, 0.0},  {Op::kQuotient, -0.0, 3.0},
      {Op::kQuotient, 1.0, 3.0},   {Op::kQuotient, 0x1p-1000, 0x1p100}, {Op::kQuotient, kMax, 0.5},
      {Op::kSquareRoot, 0.0, 0},   {Op::kSquareRoot, -0.0, 0}, {Op::kSquareRoot, -4.0, 0},
      {Op::kSquareRoot, 4.0, 0},   {Op::kSquareRoot, 2.0, 0},  {Op::kSquareRoot, kTiny, 0},
      {Op::kSquareRoot, kMax, 0},  {Op::kSquareRoot, 0x1p-960, 0}, {Op::kSquareRoot, 0x1.fffffffffffffp999, 0},
  };
  Tally tally;
  for (const Case& c : cases) ExpectSameAsExtended(c.op, c.a, c.b, tally);
  EXPECT_GT(tally.twiceDiffersFromOnce, 0);
}

// Ordinary operands are what the shortcuts are for: they must take nearly
// all of them, or the extended path is doing the work after all.
TEST(RoundedOnce, RandomOperandsOfEveryRange) {
  std::mt19937_64 random(2024);
  std::uniform_int_distribution<int> ordinary(-40, 40);
  std::uniform_int_distribution<int> anywhere(-1080, 1030);
  for (const Op op : {Op::kSum, Op::kDifference, Op::kProduct, Op::kQuotient, Op::kSquareRoot}) {
    Tally usual;
    Tally extreme;
    for (int i = 0; i < 40000; ++i) {
      const bool signs = random() & 1;
      const double a = RandomNear(random, ordinary(random));
      const double b = RandomNear(random, ordinary(random));
      ExpectSameAsExtended(op, a, signs ? -b : b, usual);
      ExpectSameAsExtended(op, RandomNear(random, anywhere(random)),
                           (signs ? -1 : 1) * RandomNear(random, anywhere(random)), extreme);
    }
    EXPECT_GT(usual.answered, 39000) << static_cast<int>(op);
  }
}

// Squares and reciprocals through the operation as a whole, whichever way
// the build takes them: the power operation's extended value, rounded.
TEST(RoundedOnce, SquaresAndReciprocalsAsThePowerGivesThem) {
  std::mt19937_64 random(3);
  std::uniform_int_distribution<int> exponent(-1080, 1030);
  std::vector<double> bases = {0.0, -0.0, 1.0, -1.5, 0x1p-537, 0x1p511, 0x1p512, 1e-310};
  for (int i = 0; i < 20000; ++i) {
    const double x = RandomNear(random, i % 2 ? exponent(random) % 60 : exponent(random));
    bases.push_back(random() & 1 ? -x : x);
  }
  for (const double base : bases) {
    for (const double power : {2.0, -1.0}) {
      std::int32_t errorCode = 0;
      const double got = ApplyOperation(base, '^', power, errorCode);
      const double want = static_cast<double>(RaisePower(base, power));
      if (!std::isfinite(want)) {
        EXPECT_NE(errorCode, 0) << std::hexfloat << base << "^" << power;
        continue;
      }
      EXPECT_EQ(errorCode, 0);
      EXPECT_EQ(BitsOf(got), BitsOf(want)) << std::hexfloat << base << "^" << power;
    }
  }
}

// Sums s ± (j + 1/2) units, nudged by a few 2^-14 units: on both sides of
// the midpoints, in every binade, from larger and smaller operands.
TEST(RoundedOnce, SumsNextToMidpoints) {
  std::mt19937_64 random(7);
  std::uniform_int_distribution<int> exponent(-900, 1000);
  std::uniform_int_distribution<int> nudge(-24, 24);
  Tally tally;
  for (int i = 0; i < 60000; ++i) {
    const double s = RandomNear(random, exponent(random));
    const double unit = std::ldexp(1.0, std::ilogb(s) - 52);
    const int j = static_cast<int>(random() % 4);
    const double below = (random() & 1) ? -1.0 : 1.0;
    const double a = s - below * j * unit;
    const double b = below * ((j + 0.5) * unit + nudge(random) * unit * 0x1p-14);
    const bool negate = random() & 1;
    ExpectSameAsExtended(Op::kSum, negate ? -a : a, negate ? -b : b, tally);
    ExpectSameAsExtended(Op::kDifference, b, -a, tally);
  }
  EXPECT_GT(tally.twiceDiffersFromOnce, 100);
  EXPECT_GT(tally.answered, 60000);
}

// Products A·B of two 33-bit integers whose 66-bit product ends in a chosen
// 13-bit pattern: the midpoint's 0x1000, give or take a few 64-bit units.
TEST(RoundedOnce, ProductsNextToMidpoints) {
  std::mt19937_64 random(11);
  std::uniform_int_distribution<int> offset(-12, 12);
  std::uniform_int_distribution<int> exponent(-420, 380);
  Tally tally;
  for (int i = 0; i < 60000; ++i) {
    const std::uint64_t top = std::uint64_t{3} << 31;  // both ≥ 1.5·2^32: a 66-bit product
    const std::uint64_t b = top | (random() >> 33) | 1;
    const std::uint64_t pattern = static_cast<std::uint64_t>(0x1000 + offset(random)) & 0x1FFF;
    const std::uint64_t low = (pattern * InverseOdd(b)) & 0x1FFF;
    const std::uint64_t a = top | ((random() >> 33) & ~std::uint64_t{0x1FFF}) | low;
    ASSERT_EQ((static_cast<UInt128>(a) * b) & 0x1FFF, pattern);
    ExpectSameAsExtended(Op::kProduct, Scaled(a, exponent(random), random() & 1),
                         Scaled(b, exponent(random), random() & 1), tally);
  }
  EXPECT_GT(tally.twiceDiffersFromOnce, 1000);
  EXPECT_GT(tally.answered, 1000);
}

// Quotients N/B = m − t/B, with m a midpoint (odd in units of half a
// double unit) and t small and odd: N = m·B − t, built to fit 53 bits.
// |t/B| reaches 2^-7 units, across the band the shortcut leaves alone.
TEST(RoundedOnce, QuotientsNextToMidpoints) {
  std::mt19937_64 random(13);
  std::uniform_int_distribution<std::int64_t> nearness(-(std::int64_t{1} << 25), std::int64_t{1} << 25);
  std::uniform_int_distribution<int> exponent(-350, 350);
  Tally tally;
  for (int i = 0; i < 60000; ++i) {
    const std::uint64_t b = (std::uint64_t{1} << 32) | (random() >> 32) | 1;
    const std::int64_t t = nearness(random) | 1;
    const std::uint64_t mask = (std::uint64_t{1} << 34) - 1;
    const std::uint64_t low = (static_cast<std::uint64_t>(t) * InverseOdd(b)) & mask;
    const std::uint64_t m = (std::uint64_t{1} << 53) | ((random() >> 45) << 34) | low;
    const auto n = static_cast<UInt128>(m) * b - static_cast<UInt128>(static_cast<Int128>(t));
    ASSERT_EQ(static_cast<std::uint64_t>(n) & mask, 0u);
    const auto dividend = static_cast<std::uint64_t>(n >> 34);
    ASSERT_LT(dividend, std::uint64_t{1} << 53);
    const int e = exponent(random);
    const bool negative = random() & 1;
    const int shift = static_cast<int>(random() % 40) - 20;
    ExpectSameAsExtended(Op::kQuotient, Scaled(dividend, e, negative), Scaled(b, e + shift, false), tally);
  }
  EXPECT_GT(tally.twiceDiffersFromOnce, 1000);
  EXPECT_GT(tally.answered, 1000);
}

// x = m² + c with m a midpoint (54-bit odd) and x a double: m² ≡ −c modulo
// 2^55 for a small c (−c ≡ 1 modulo 8), so √x lies c/(2m) from the
// midpoint. The roots of −c come from lifting one bit at a time.
std::optional<std::uint64_t> MidpointWithSquareNear(std::int64_t c) {
  const std::uint64_t target = static_cast<std::uint64_t>(-c);
  if ((target & 7) != 1) return std::nullopt;  // no square root modulo 8
  const std::uint64_t mask = (std::uint64_t{1} << 55) - 1;
  std::uint64_t r = 1;
  for (int k = 3; k < 55; ++k)
    if (((r * r - target) >> k) & 1) r += std::uint64_t{1} << (k - 1);
  for (const std::uint64_t root : {r & mask, (0 - r) & mask, (r + (std::uint64_t{1} << 54)) & mask,
                                   (0 - r + (std::uint64_t{1} << 54)) & mask})
    if (root >> 53 == 1) return root;
  return std::nullopt;
}

TEST(RoundedOnce, SquareRootsNextToMidpoints) {
  std::mt19937_64 random(17);
  // Up to 2^-4 units from the midpoint; the composite's own error grows
  // with the exponent, so small ones are the most and the extremes some.
  std::uniform_int_distribution<std::int64_t> nearness(-(std::int64_t{1} << 50), std::int64_t{1} << 50);
  std::uniform_int_distribution<int> smallHalfExponent(-40, 40);
  std::uniform_int_distribution<int> halfExponent(-540, 450);
  Tally tally;
  int built = 0;
  for (int i = 0; i < 60000; ++i) {
    const std::int64_t c = nearness(random) | 7;
    const auto m = MidpointWithSquareNear(c);
    if (!m) continue;
    const auto square = static_cast<UInt128>(*m) * *m + static_cast<UInt128>(static_cast<Int128>(c));
    ASSERT_EQ(static_cast<std::uint64_t>(square) & ((std::uint64_t{1} << 55) - 1), 0u);
    const auto x = static_cast<std::uint64_t>(square >> 55);
    ASSERT_LT(x, std::uint64_t{1} << 53);
    ++built;
    const int h = (i % 4 == 0) ? halfExponent(random) : smallHalfExponent(random);
    ExpectSameAsExtended(Op::kSquareRoot, Scaled(x, 55 + 2 * h, false), 0, tally);
  }
  EXPECT_GT(built, 50000);
  EXPECT_GT(tally.twiceDiffersFromOnce, 100);
  EXPECT_GT(tally.answered, 1000);
}

}  // namespace
}  // namespace evaluator
