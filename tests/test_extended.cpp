#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include "evaluator/extended.h"
#include "evaluator/extended_constants.h"
#include "evaluator/extended_soft.h"
#include "evaluator/functions.h"
#include "evaluator/primitives.h"

#if defined(__x86_64__)
#include "tests/x87_long_double.h"
#endif

namespace evaluator {
namespace {

using soft::Bits;

constexpr Bits kPlusZero{0, 0x0000};
constexpr Bits kMinusZero{0, 0x8000};
constexpr Bits kOne{0x8000000000000000, 0x3FFF};
constexpr Bits kHalf{0x8000000000000000, 0x3FFE};
constexpr Bits kTwo{0x8000000000000000, 0x4000};
constexpr Bits kThree{0xC000000000000000, 0x4000};
constexpr Bits kMinSubnormal{1, 0x0000};
constexpr Bits kLargestSubnormal{0x7FFFFFFFFFFFFFFF, 0x0000};
constexpr Bits kMinNormal{0x8000000000000000, 0x0001};
constexpr Bits kLargest{0xFFFFFFFFFFFFFFFF, 0x7FFE};
constexpr Bits kPlusInfinity{0x8000000000000000, 0x7FFF};
constexpr Bits kMinusInfinity{0x8000000000000000, 0xFFFF};
constexpr Bits kNaN{0xC000000000000000, 0x7FFF};

Extended ToExtended(Bits b) { return Extended::FromBits(b.signExponent, b.significand); }
Bits ToBits(Extended e) { return {e.Significand(), e.SignExponent()}; }

std::string Show(Bits b) {
  char text[40];
  std::snprintf(text, sizeof text, "%04X:%016llX", b.signExponent,
                static_cast<unsigned long long>(b.significand));
  return text;
}

// Equal bits, or both NaN: a NaN's sign and payload are not part of the
// contract.
::testing::AssertionResult SameValue(Bits got, Bits want) {
  if (soft::IsNaN(got) && soft::IsNaN(want)) return ::testing::AssertionSuccess();
  if (got.significand == want.significand && got.signExponent == want.signExponent)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << Show(got) << ", want " << Show(want);
}

// Named edges through Extended, whatever its representation. Expected bits
// of the inexact cases come from exact rational arithmetic
// (tests/exact_extended.py).
enum class Op { kAdd, kSubtract, kMultiply, kDivide, kSquareRoot };

struct EdgeCase {
  std::string_view name;
  Op op;
  Bits a;
  Bits b;
  Bits expected;
};

std::ostream& operator<<(std::ostream& out, const EdgeCase& c) { return out << c.name; }

Extended Apply(Op op, Extended a, Extended b) {
  switch (op) {
    case Op::kAdd: return a + b;
    case Op::kSubtract: return a - b;
    case Op::kMultiply: return a * b;
    case Op::kDivide: return a / b;
    case Op::kSquareRoot: return Sqrt(a);
  }
  return Extended();
}

Bits ApplyPortable(Op op, Bits a, Bits b) {
  switch (op) {
    case Op::kAdd: return soft::Add(a, b);
    case Op::kSubtract: return soft::Subtract(a, b);
    case Op::kMultiply: return soft::Multiply(a, b);
    case Op::kDivide: return soft::Divide(a, b);
    case Op::kSquareRoot: return soft::SquareRoot(a);
  }
  return {};
}

constexpr EdgeCase kEdgeCases[] = {
    {"OneThird", Op::kDivide, kOne, kThree, {0xAAAAAAAAAAAAAAAB, 0x3FFD}},
    // 1 / (1 − 2^-64) = 1 + 2^-64 + 2^-128 + …: only the remainder tells it
    // from the tie.
    {"QuotientJustOverATie", Op::kDivide, kOne, {0xFFFFFFFFFFFFFFFF, 0x3FFE}, {0x8000000000000001, 0x3FFF}},
    {"TieToEvenDown", Op::kAdd, kOne, {0x8000000000000000, 0x3FBF}, kOne},  // 1 + 2^-64
    {"TieToEvenUp", Op::kAdd, {0x8000000000000001, 0x3FFF}, {0x8000000000000000, 0x3FBF},
     {0x8000000000000002, 0x3FFF}},
    {"CancellationIsExact", Op::kSubtract, {0x8000000000000001, 0x3FFF}, kOne,
     {0x8000000000000000, 0x3FC0}},
    {"FarBelowIsSticky", Op::kSubtract, kOne, kMinSubnormal, kOne},
    {"HalfAnUlpBelowOneIsATie", Op::kSubtract, kOne, {0x8000000000000000, 0x3FFF - 65}, kOne},
    {"JustOverItIsNot", Op::kSubtract, kOne, {0x8000000000000001, 0x3FFF - 65},
     {0xFFFFFFFFFFFFFFFF, 0x3FFE}},
    {"SelfDifferenceIsPlusZero", Op::kSubtract, kThree, kThree, kPlusZero},
    {"MinusZeroSum", Op::kAdd, kMinusZero, kMinusZero, kMinusZero},
    {"MixedZeroSum", Op::kAdd, kPlusZero, kMinusZero, kPlusZero},
    {"MinusZeroProduct", Op::kMultiply, kMinusZero, kThree, kMinusZero},
    {"HalfTheSmallestSubnormalTiesToZero", Op::kMultiply, kMinSubnormal, kHalf, kPlusZero},
    {"ThreeHalvesOfItTieToTwo", Op::kMultiply, {3, 0x0000}, kHalf, {2, 0x0000}},
    {"SubnormalDifference", Op::kSubtract, kMinNormal, kMinSubnormal, kLargestSubnormal},
    {"SubnormalsCarryIntoNormal", Op::kAdd, kLargestSubnormal, kMinSubnormal, kMinNormal},
    {"SubnormalQuotient", Op::kDivide, kMinNormal, kThree, {0x2AAAAAAAAAAAAAAB, 0x0000}},
    {"SubnormalProductIsExact", Op::kMultiply, {0x8000000000000000, 0x3FFF - 8200},
     {0x8000000000000000, 0x3FFF - 8200}, {std::uint64_t{1} << 45, 0x0000}},
    {"SubnormalTimesHugeIsNormal", Op::kMultiply, kMinSubnormal, {0x8000000000000000, 0x7FFE},
     {0x8000000000000000, 0x3FFF - 62}},
    {"OverflowToInfinity", Op::kAdd, kLargest, kLargest, kPlusInfinity},
    {"HalfAnUlpAboveTheLargestOverflows", Op::kAdd, kLargest, {0x8000000000000000, 0x7FBE},
     kPlusInfinity},
    {"JustBelowThatStays", Op::kAdd, kLargest, {0xFFFFFFFFFFFFFFFF, 0x7FBD}, kLargest},
    {"OverflowingProduct", Op::kMultiply, kLargest, {0x8000000000000000, 0xC000}, kMinusInfinity},
    {"InfinityMinusInfinity", Op::kAdd, kPlusInfinity, kMinusInfinity, kNaN},
    {"ZeroTimesInfinity", Op::kMultiply, kMinusZero, kPlusInfinity, kNaN},
    {"ZeroOverZero", Op::kDivide, kPlusZero, kMinusZero, kNaN},
    {"InfinityOverInfinity", Op::kDivide, kMinusInfinity, kPlusInfinity, kNaN},
    {"OneOverMinusZero", Op::kDivide, kOne, kMinusZero, kMinusInfinity},
    {"OneOverInfinity", Op::kDivide, {0x8000000000000000, 0xBFFF}, kPlusInfinity, kMinusZero},
    {"NaNPropagates", Op::kMultiply, kNaN, kPlusZero, kNaN},
    {"SquareRootOfTwo", Op::kSquareRoot, kTwo, {}, {0xB504F333F9DE6484, 0x3FFF}},
    {"SquareRootOfMinusZero", Op::kSquareRoot, kMinusZero, {}, kMinusZero},
    {"SquareRootOfNegative", Op::kSquareRoot, {0x8000000000000000, 0xBFFF}, {}, kNaN},
    {"SquareRootOfInfinity", Op::kSquareRoot, kPlusInfinity, {}, kPlusInfinity},
    {"SquareRootOfSmallestSubnormal", Op::kSquareRoot, kMinSubnormal, {}, {0xB504F333F9DE6484, 0x1FE0}},
    // √ of the largest lies just under a tie between it and 2^8192.
    {"SquareRootOfLargest", Op::kSquareRoot, kLargest, {}, {0xFFFFFFFFFFFFFFFF, 0x5FFE}},
};

class ExtendedEdges : public ::testing::TestWithParam<EdgeCase> {};

TEST_P(ExtendedEdges, RoundsToNearestEven) {
  const EdgeCase& c = GetParam();
  EXPECT_TRUE(SameValue(ToBits(Apply(c.op, ToExtended(c.a), ToExtended(c.b))), c.expected));
  // The integer arithmetic too, where Extended is the x87.
  EXPECT_TRUE(SameValue(ApplyPortable(c.op, c.a, c.b), c.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, ExtendedEdges, ::testing::ValuesIn(kEdgeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The store to a double rounds once, from the extended value, with double
// subnormals and overflow.
struct ToDoubleCase {
  std::string_view name;
  Bits value;
  double expected;
};

std::ostream& operator<<(std::ostream& out, const ToDoubleCase& c) { return out << c.name; }

constexpr ToDoubleCase kToDoubleCases[] = {
    {"TieToEvenDown", {0x8000000000000400, 0x3FFF}, 1.0},                      // 1 + 2^-53
    {"AboveTheTie", {0x8000000000000401, 0x3FFF}, 0x1.0000000000001p0},        // 1 + 2^-53 + 2^-63
    {"TieToEvenUp", {0x8000000000000C00, 0x3FFF}, 0x1.0000000000002p0},        // 1 + 3·2^-53
    {"BelowHalfTheSmallestSubnormal", {0xFFFFFFFFFFFFFFFF, 0x3FFF - 1076}, 0.0},
    {"HalfTheSmallestSubnormalTiesToZero", {0x8000000000000000, 0xBFFF - 1075}, -0.0},
    {"JustAboveThatIsTheSmallest", {0x8000000000000001, 0x3FFF - 1075}, 0x1p-1074},
    {"ThreeQuartersOfTheSmallest", {0xC000000000000000, 0x3FFF - 1075}, 0x1p-1074},
    {"SubnormalTieToEven", {0xC000000000000000, 0x3FFF - 1074}, 0x1p-1073},  // 1.5 units
    {"RoundsUpToTheSmallestNormal", {0xFFFFFFFFFFFFFFFF, 0x3FFF - 1023}, 0x1p-1022},
    {"ExtendedSubnormalIsZero", kLargestSubnormal, 0.0},
    {"Largest", {0xFFFFFFFFFFFFF800, 0x43FE}, 0x1.fffffffffffffp1023},
    {"JustBelowTheOverflowTie", {0xFFFFFFFFFFFFFBFF, 0x43FE}, 0x1.fffffffffffffp1023},
    {"OverflowTie", {0xFFFFFFFFFFFFFC00, 0x43FE}, std::numeric_limits<double>::infinity()},
    {"BeyondTheDoubleRange", {0x8000000000000000, 0xC3FF}, -std::numeric_limits<double>::infinity()},
    {"Infinity", kMinusInfinity, -std::numeric_limits<double>::infinity()},
};

class ExtendedToDouble : public ::testing::TestWithParam<ToDoubleCase> {};

TEST_P(ExtendedToDouble, RoundsOnce) {
  const ToDoubleCase& c = GetParam();
  EXPECT_EQ(std::bit_cast<std::uint64_t>(static_cast<double>(ToExtended(c.value))),
            std::bit_cast<std::uint64_t>(c.expected));
  EXPECT_EQ(std::bit_cast<std::uint64_t>(soft::ToDouble(c.value)), std::bit_cast<std::uint64_t>(c.expected));
  // Round trip: every double is an extended value.
  EXPECT_EQ(std::bit_cast<std::uint64_t>(static_cast<double>(Extended(c.expected))),
            std::bit_cast<std::uint64_t>(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Table, ExtendedToDouble, ::testing::ValuesIn(kToDoubleCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExtendedFromDouble, IsExactForSubnormalsZerosAndSpecials) {
  EXPECT_TRUE(SameValue(ToBits(Extended(0x1p-1074)), {0x8000000000000000, 0x3FFF - 1074}));
  EXPECT_TRUE(SameValue(ToBits(Extended(-0x1.8p-1073)), {0xC000000000000000, 0xBFFF - 1073}));
  EXPECT_TRUE(SameValue(ToBits(Extended(-0.0)), kMinusZero));
  EXPECT_TRUE(SameValue(ToBits(Extended(std::numeric_limits<double>::infinity())), kPlusInfinity));
  EXPECT_TRUE(IsNaN(Extended(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_TRUE(SameValue(ToBits(Extended(0x1.fffffffffffffp1023)), {0xFFFFFFFFFFFFF800, 0x43FE}));
}

TEST(ExtendedCompare, OrdersSignedValuesAndNeverANaN) {
  const Extended nan = ToExtended(kNaN);
  const Extended one = ToExtended(kOne);
  const Extended minusOne = -one;
  const Extended tiny = ToExtended(kMinSubnormal);
  EXPECT_TRUE(ToExtended(kMinusZero) == ToExtended(kPlusZero));
  EXPECT_FALSE(ToExtended(kMinusZero) < ToExtended(kPlusZero));
  EXPECT_TRUE(minusOne < -tiny && -tiny < ToExtended(kMinusZero) && ToExtended(kPlusZero) < tiny);
  EXPECT_TRUE(tiny < ToExtended(kMinNormal) && one < ToExtended(kLargest));
  EXPECT_TRUE(ToExtended(kLargest) < ToExtended(kPlusInfinity));
  EXPECT_TRUE(ToExtended(kMinusInfinity) < -ToExtended(kLargest));
  EXPECT_TRUE(one >= one && one <= one && !(one > one) && one != minusOne);
  for (const Extended x : {nan, one, ToExtended(kPlusInfinity)}) {
    EXPECT_FALSE(nan == x);
    EXPECT_TRUE(nan != x);
    EXPECT_FALSE(nan < x || nan <= x || nan > x || nan >= x);
    EXPECT_FALSE(x < nan || x <= nan || x > nan || x >= nan);
  }
}

TEST(ExtendedClasses, TellFiniteInfiniteAndNaN) {
  EXPECT_TRUE(IsFinite(ToExtended(kLargest)) && IsFinite(ToExtended(kMinSubnormal)));
  EXPECT_FALSE(IsFinite(ToExtended(kMinusInfinity)) || IsFinite(ToExtended(kNaN)));
  EXPECT_TRUE(IsInfinite(ToExtended(kMinusInfinity)) && !IsInfinite(ToExtended(kNaN)));
  EXPECT_TRUE(IsNaN(ToExtended(kNaN)) && !IsNaN(ToExtended(kPlusInfinity)));
  EXPECT_TRUE(SameValue(ToBits(Abs(ToExtended(kMinusZero))), kPlusZero));
  EXPECT_TRUE(SameValue(ToBits(-ToExtended(kPlusZero)), kMinusZero));
}

// The constant the ASINH and ACOSH formulas take for ln(2) is the logarithm
// primitive's own value.
TEST(ExtendedConstants, LnOf2IsTheLogarithmOf2) {
  EXPECT_TRUE(SameValue(ToBits(constants::kLnOf2), ToBits(NaturalLog(Extended(2.0)))));
  EXPECT_EQ(static_cast<double>(constants::kPi), 3.141592653589793);
}

// EXP and LN take the base's logarithm from the table instead of the
// primitive: it must be the primitive's value.
TEST(ExtendedConstants, Log2OfTheExponentialBaseIsThePrimitives) {
  EXPECT_TRUE(SameValue(ToBits(constants::kLog2OfExponentialBase),
                        ToBits(Log2(Extended(kExponentialBase)))));
}

#if defined(__x86_64__)

Bits BitsOf(long double v) { return ToBits(FromLongDouble(v)); }
long double LongDoubleOf(Bits b) { return ToLongDouble(ToExtended(b)); }

// Each constant is the x87's reading of the literal it replaces.
struct ConstantCase {
  std::string_view name;
  Extended value;
  long double literal;
};

std::ostream& operator<<(std::ostream& out, const ConstantCase& c) { return out << c.name; }

const ConstantCase kConstantCases[] = {
    {"Pi", constants::kPi, 0xC.90FDAA22168C235p-2L},
    {"One180th", constants::kOne180th, 1.0L / 180.0L},
    {"Log10Of2", constants::kLog10Of2, 0x9.A209A84FBCFF799p-5L},
    {"LnOf2", constants::kLnOf2, 0.693147180559945309417232121458176568L},
    {"Tenth", constants::kTenth, 0.1L},
    {"TanhLimit", constants::kTanhLimit, 5678.22249441322L},
    {"AtanhOverflow", constants::kAtanhOverflow, 1.1e4932L},
    {"LargeArgument", constants::kLargeArgument, 1e10L},
    {"TenDecimalsScale", constants::kTenDecimalsScale, 1e10L},
    {"DoubleOverflowThreshold", constants::kDoubleOverflowThreshold, 0x1.fffffffffffff8p1023L},
    {"One", constants::kOne, 1.0L},
    {"Half", constants::kHalf, 0.5L},
    {"Quarter", constants::kQuarter, 0.25L},
    {"Ten", constants::kTen, 10.0L},
    {"OneEighty", constants::k180, 180.0L},
};

class ExtendedConstantBits : public ::testing::TestWithParam<ConstantCase> {};

TEST_P(ExtendedConstantBits, MatchTheLiteral) {
  const ConstantCase& c = GetParam();
  EXPECT_TRUE(SameValue(ToBits(c.value), BitsOf(c.literal)));
}

INSTANTIATE_TEST_SUITE_P(Table, ExtendedConstantBits, ::testing::ValuesIn(kConstantCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Random operands aimed at the hard parts: every exponent, the ends of the
// range, subnormals, short significands (exact results and ties), and for
// the second operand one close to the first (equal and near exponents,
// cancellation).
class OperandSource {
 public:
  explicit OperandSource(std::uint64_t seed) : engine_(seed) {}

  Bits Any() {
    switch (Draw(8)) {
      case 0: return Canonical(static_cast<int>(Draw(0x7FFF)), engine_());
      case 1: return Canonical(static_cast<int>(Draw(80)), engine_());              // subnormal end
      case 2: return Canonical(0x7FFE - static_cast<int>(Draw(80)), engine_());     // huge end
      case 3: return Canonical(0x3FFF - 80 + static_cast<int>(Draw(160)), Short());  // everyday
      case 4: return Special();
      case 5: return soft::FromDouble(std::bit_cast<double>(engine_()));
      default: return Canonical(0x3FFF - 200 + static_cast<int>(Draw(400)), engine_());
    }
  }

  // A partner for a: near it in exponent, often in significand too.
  Bits Near(Bits a) {
    const int field = a.signExponent & soft::kExponentMask;
    if (field == 0x7FFF || Draw(8) == 0) return Any();
    // Gaps up to 131 bits, past the 64-bit significand and its guard bits,
    // and often just past the significand, where the lowest bits decide.
    const int gap = Draw(4) == 0 ? 62 + static_cast<int>(Draw(8)) : static_cast<int>(Draw(132));
    const int delta = Draw(2) == 0 ? gap : -gap;
    const int nearField = std::clamp(field + (Draw(2) == 0 ? delta : delta / 16), 0, 0x7FFE);
    const std::uint64_t kind = Draw(3);
    const std::uint64_t significand = kind == 0   ? a.significand ^ (engine_() >> Draw(64))
                                      : kind == 1 ? Short()
                                                  : Sparse();
    Bits b = Canonical(nearField, significand);
    if (Draw(2) == 0) b = soft::Negate(b);
    return b;
  }

  // Doubles' ties: the bits below a double's 53 (or fewer, for its
  // subnormals) near their halfway point.
  Bits NearDoubleTie() {
    const int field = Draw(4) == 0 ? 0x3FFF - 1022 - static_cast<int>(Draw(70))
                                   : 0x3FFF - 1100 + static_cast<int>(Draw(2200));
    const std::uint64_t tie = std::uint64_t{1} << Draw(64);
    std::uint64_t significand = (engine_() & ~(tie * 2 - 1)) | tie;
    const std::uint64_t nudge = Draw(3);
    significand = nudge == 0 ? significand : nudge == 1 ? significand + 1 : significand - 1;
    return Canonical(std::min(field, 0x7FFE), significand);
  }

 private:
  std::uint64_t Draw(std::uint64_t n) { return engine_() % n; }

  // Significands with few bits set: exact results, halfway cases.
  std::uint64_t Short() {
    const unsigned width = 1 + static_cast<unsigned>(Draw(64));
    return engine_() << (64 - width);
  }

  // A leading bit and a few low ones: what lies far below the rounding
  // point decides a halfway case.
  std::uint64_t Sparse() {
    std::uint64_t significand = soft::kIntegerBit;
    for (std::uint64_t n = Draw(3); n-- > 0;) significand |= std::uint64_t{1} << Draw(Draw(2) == 0 ? 4 : 64);
    return significand;
  }

  Bits Canonical(int field, std::uint64_t significand) {
    const auto sign = static_cast<std::uint16_t>(Draw(2) == 0 ? 0 : soft::kSignBit);
    if (field == 0) significand &= ~soft::kIntegerBit;
    else significand |= soft::kIntegerBit;
    return {significand, static_cast<std::uint16_t>(sign | field)};
  }

  Bits Special() {
    constexpr Bits kSpecials[] = {kPlusZero,    kMinusZero,        kOne,          kMinSubnormal,
                                  kMinNormal,   kLargestSubnormal, kLargest,      kPlusInfinity,
                                  kMinusInfinity, kNaN};
    return kSpecials[Draw(std::size(kSpecials))];
  }

  std::mt19937_64 engine_;
};

constexpr int kRandomPairs = 300000;

struct BinaryCase {
  std::string_view name;
  Bits (*portable)(Bits, Bits);
  long double (*x87)(long double, long double);
};

std::ostream& operator<<(std::ostream& out, const BinaryCase& c) { return out << c.name; }

// Kept out of line so the compiler cannot fold a step at another precision.
[[gnu::noinline]] long double X87Add(long double a, long double b) { return a + b; }
[[gnu::noinline]] long double X87Subtract(long double a, long double b) { return a - b; }
[[gnu::noinline]] long double X87Multiply(long double a, long double b) { return a * b; }
[[gnu::noinline]] long double X87Divide(long double a, long double b) { return a / b; }

const BinaryCase kBinaryCases[] = {
    {"Add", soft::Add, X87Add},
    {"Subtract", soft::Subtract, X87Subtract},
    {"Multiply", soft::Multiply, X87Multiply},
    {"Divide", soft::Divide, X87Divide},
};

class PortableAgainstX87 : public ::testing::TestWithParam<BinaryCase> {};

TEST_P(PortableAgainstX87, AgreesBitForBit) {
  const BinaryCase& c = GetParam();
  OperandSource source(0x5EED0000 + c.name.size());
  int differences = 0;
  for (int i = 0; i < kRandomPairs; ++i) {
    const Bits a = source.Any();
    const Bits b = i % 2 == 0 ? source.Near(a) : source.Any();
    const Bits want = BitsOf(c.x87(LongDoubleOf(a), LongDoubleOf(b)));
    const auto same = SameValue(c.portable(a, b), want);
    if (!same && ++differences <= 5) ADD_FAILURE() << Show(a) << " " << c.name << " " << Show(b) << ": " << same.message();
  }
  EXPECT_EQ(differences, 0);
}

INSTANTIATE_TEST_SUITE_P(Table, PortableAgainstX87, ::testing::ValuesIn(kBinaryCases),
                         [](const auto& info) { return std::string(info.param.name); });

[[gnu::noinline]] long double X87SquareRoot(long double a) { return __builtin_sqrtl(a); }
[[gnu::noinline]] double X87ToDouble(long double a) { return static_cast<double>(a); }
[[gnu::noinline]] long double X87FromDouble(double a) { return a; }

TEST(PortableAgainstX87, SquareRootAgreesBitForBit) {
  OperandSource source(0x5EED0101);
  int differences = 0;
  for (int i = 0; i < kRandomPairs; ++i) {
    Bits a = source.Any();
    if (i % 2 == 0) a = soft::Abs(a);
    const auto same = SameValue(soft::SquareRoot(a), BitsOf(X87SquareRoot(LongDoubleOf(a))));
    if (!same && ++differences <= 5) ADD_FAILURE() << "sqrt " << Show(a) << ": " << same.message();
  }
  EXPECT_EQ(differences, 0);
}

TEST(PortableAgainstX87, ConversionsToAndFromDoubleAgree) {
  OperandSource source(0x5EED0202);
  int differences = 0;
  for (int i = 0; i < kRandomPairs; ++i) {
    const Bits a = i % 2 == 0 ? source.NearDoubleTie() : source.Any();
    const double got = soft::ToDouble(a);
    const double want = X87ToDouble(LongDoubleOf(a));
    const bool same = (got != got && want != want) ||
                      std::bit_cast<std::uint64_t>(got) == std::bit_cast<std::uint64_t>(want);
    if (!same && ++differences <= 5) ADD_FAILURE() << "to double " << Show(a) << ": got " << got << ", want " << want;

    const double d = std::bit_cast<double>(source.Any().significand);
    if (!SameValue(soft::FromDouble(d), BitsOf(X87FromDouble(d))) && ++differences <= 5)
      ADD_FAILURE() << "from double " << d;
  }
  EXPECT_EQ(differences, 0);
}

TEST(PortableAgainstX87, ComparisonsAgree) {
  OperandSource source(0x5EED0303);
  int differences = 0;
  for (int i = 0; i < kRandomPairs; ++i) {
    const Bits a = source.Any();
    const Bits b = i % 4 == 0 ? a : i % 4 == 1 ? soft::Negate(a) : source.Near(a);
    const long double x = LongDoubleOf(a);
    const long double y = LongDoubleOf(b);
    const soft::Order want = x < y ? soft::Order::kLess : x == y ? soft::Order::kEqual
                           : x > y ? soft::Order::kGreater : soft::Order::kUnordered;
    if (soft::Compare(a, b) != want && ++differences <= 5) ADD_FAILURE() << "compare " << Show(a) << " " << Show(b);
  }
  EXPECT_EQ(differences, 0);
}

#endif  // __x86_64__

}  // namespace
}  // namespace evaluator
