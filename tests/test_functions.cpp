#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <ostream>
#include <string_view>

#include "evaluator/functions.h"
#include "evaluator/operations.h"
#include "evaluator/token.h"
#include "interface/call_state.h"

namespace evaluator {
namespace {

namespace fc = function_code;

// Functions are applied the way the reducer applies them, so a fault shows as
// the real Math error with the value 0.
struct Outcome {
  double value;
  std::int32_t errorCode;
};

Outcome Apply(std::uint8_t code, double x) {
  std::int32_t errorCode = 0;
  const double value = ApplyOperation(0, code, x, errorCode);
  return {value, errorCode};
}

constexpr double kTwoTo63 = 0x1p63;
constexpr double kBelowTwoTo63 = 0x1.fffffffffffffp62;
constexpr double kAboveOne = 0x1.0000000000001p0;
constexpr double kBelowOne = 0x1.fffffffffffffp-1;

struct ValueCase {
  std::string_view name;
  std::uint8_t code;
  double x;
  double expected;
};

std::ostream& operator<<(std::ostream& out, const ValueCase& c) {
  return out << c.name;
}

class FunctionsValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FunctionsValues, GivesTheExactDouble) {
  const ValueCase& c = GetParam();
  const Outcome outcome = Apply(c.code, c.x);
  EXPECT_EQ(outcome.errorCode, 0);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(outcome.value),
            std::bit_cast<std::uint64_t>(c.expected))
      << "got " << outcome.value << ", expected " << c.expected;
}

constexpr ValueCase kValueCases[] = {
    // Sine, cosine and tangent come out rounded to 10 decimals.
    {"SinPi", fc::kSine, kPi, 0.0},
    {"SinMinusPi", fc::kSine, -kPi, -0.0},
    {"CosPi", fc::kCosine, kPi, -1.0},
    {"CosHalfPi", fc::kCosine, kPi / 2, 0.0},
    {"TanQuarterPi", fc::kTangent, kPi / 4, 1.0},
    {"TanPi", fc::kTangent, kPi, -0.0},
    {"SinSixthPi", fc::kSine, kPi / 6, 0.5},
    {"Sin1", fc::kSine, 1, 0.8414709848},
    {"Cos1", fc::kCosine, 1, 0.5403023059},
    {"Sin30", fc::kSine, 30, -0.9880316241},
    {"Tan1_5", fc::kTangent, 1.5, 14.1014199472},
    // The quotient by 10^10 is rounded from extended precision, which here
    // is not the double nearest 0.0618154294.
    {"SinQuotientRounding", fc::kSine, 0.0618548649, 0.061815429399999997},
    {"Asin1", fc::kArcSine, 1, 1.5707963267948966},
    {"AcosMinus1", fc::kArcCosine, -1, 3.141592653589793},
    {"Atan1", fc::kArcTangent, 1, 0.7853981633974483},
    {"Atan2", fc::kArcTangent, 2, 1.1071487177940904},
    {"Sinh1", fc::kHyperbolicSine, 1, 1.1752011936438014},
    // The formula cancels near 0: right to only about nine digits.
    {"SinhTiny", fc::kHyperbolicSine, 1e-10, 1.0000000003410059e-10},
    {"Cosh0", fc::kHyperbolicCosine, 0, 1.0},
    {"Tanh700", fc::kHyperbolicTangent, 700, 1.0},
    {"Tanh6000", fc::kHyperbolicTangent, 6000, 1.0},
    {"TanhMinus6000", fc::kHyperbolicTangent, -6000, -1.0},
    {"Tanh0_5", fc::kHyperbolicTangent, 0.5, 0.46211715726000974},
    // ASINH and ATANH through both ln(1 + y) paths and the large-argument
    // path, each equal to the correctly rounded true value.
    {"Asinh1", fc::kInverseHyperbolicSine, 1, 0.881373587019543},
    {"AsinhTiny", fc::kInverseHyperbolicSine, 1e-10, 1e-10},
    {"AsinhMinus0_1", fc::kInverseHyperbolicSine, -0.1, -0.09983407889920756},
    {"Asinh1e12", fc::kInverseHyperbolicSine, 1e12, 28.324168296488494},
    {"AsinhMinus1e12", fc::kInverseHyperbolicSine, -1e12,
     -28.324168296488494},
    {"Acosh2", fc::kInverseHyperbolicCosine, 2, 1.3169578969248168},
    {"Acosh1e12", fc::kInverseHyperbolicCosine, 1e12, 28.324168296488494},
    {"Acosh1", fc::kInverseHyperbolicCosine, 1, 0.0},
    {"Acosh0_5", fc::kInverseHyperbolicCosine, 0.5, 0.0},
    {"AcoshMinus3", fc::kInverseHyperbolicCosine, -3, 0.0},
    {"Atanh0_5", fc::kInverseHyperbolicTangent, 0.5, 0.5493061443340549},
    {"AtanhTiny", fc::kInverseHyperbolicTangent, 1e-10, 1e-10},
    {"AtanhMinus0_1", fc::kInverseHyperbolicTangent, -0.1,
     -0.10033534773107558},
    {"AtanhBelow1", fc::kInverseHyperbolicTangent, kBelowOne,
     18.714973875118524},
    {"Sqrt4", fc::kSquareRoot, 4, 2.0},
    {"Sqrt9", fc::kSquareRoot, 9, 3.0},
    {"Sqrt0", fc::kSquareRoot, 0, 0.0},
    // EXP raises the base 2.71828182845905, not e.
    {"Exp0", fc::kExponential, 0, 1.0},
    {"Exp1", fc::kExponential, 1, 2.71828182845905},
    {"Exp2", fc::kExponential, 2, 7.389056098930676},
    {"Exp10", fc::kExponential, 10, 22026.4657948071},
    {"ExpMinus1000", fc::kExponential, -1000, 0.0},
    {"Ln1", fc::kNaturalLog, 1, 0.0},
    {"LnOfExp1", fc::kNaturalLog, kExponentialBase, 1.0},
    {"Ln10", fc::kNaturalLog, 10, 2.3025850929940415},
    {"Log1000", fc::kLog10, 1000, 3.0},
    {"Log0_001", fc::kLog10, 0.001, -3.0},
    {"Log10", fc::kLog10, 10, 1.0},
    // log10(2) in extended times the exact log2(x), rounded once, lands
    // exactly halfway between two doubles and goes to the even one; rounding
    // log2(x) to extended first (two roundings) gives ...941.
    {"Log5421", fc::kLog10, 5421, 3.7340794072805945},
    {"DegreePi", fc::kDegree, kPi, 180.0},
    {"Degree1", fc::kDegree, 1, 57.29577951308232},
    {"Radian180", fc::kRadian, 180, 3.141592653589793},
    {"Radian90", fc::kRadian, 90, 1.5707963267948966},
    // These need π in extended precision and the product with one 180th;
    // the double π or a division by 180 miss by an ulp.
    {"Degree9", fc::kDegree, 9, 515.66201561774085},
    {"Radian3", fc::kRadian, 3, 0.05235987755982989},
    {"Radian12301", fc::kRadian, 12301, 214.69295128782247},
    {"FloorMinus2_5", fc::kFloor, -2.5, -3.0},
    {"FloorHuge", fc::kFloor, 1e300, 1e300},
    {"CeilMinus2_5", fc::kCeil, -2.5, -2.0},
    {"CeilMinus0_5", fc::kCeil, -0.5, -0.0},
    {"AbsMinus3", fc::kAbs, -3, 3.0},
    {"AbsMinusZero", fc::kAbs, -0.0, -0.0},
    {"Frac2_75", fc::kFrac, 2.75, 0.75},
    {"FracMinus2_75", fc::kFrac, -2.75, -0.75},
    {"Round2_5", fc::kRound, 2.5, 3.0},
    {"RoundMinus2_5", fc::kRound, -2.5, -3.0},
    {"Round0_5", fc::kRound, 0.5, 1.0},
    {"RoundMinus0_4", fc::kRound, -0.4, -0.0},
    // The sum x + 0.5 is a double before the floor.
    {"RoundJustBelowHalf", fc::kRound, 0.49999999999999994, 1.0},
    {"RoundOddAbove2To52", fc::kRound, 4503599627370497, 4503599627370498},
};

INSTANTIATE_TEST_SUITE_P(
    Table, FunctionsValues, ::testing::ValuesIn(kValueCases),
    [](const auto& info) { return std::string(info.param.name); });

// Its last digits are not fixed, but it is a large finite value, no fault.
TEST(FunctionsTangent, NearHalfPiIsLargeAndFinite) {
  const Outcome outcome = Apply(fc::kTangent, kPi / 2);
  EXPECT_EQ(outcome.errorCode, 0);
  EXPECT_GT(outcome.value, 1.633e16);
  EXPECT_LT(outcome.value, 1.634e16);
}

struct FaultCase {
  std::string_view name;
  std::uint8_t code;
  double x;
  bool faults;
};

std::ostream& operator<<(std::ostream& out, const FaultCase& c) {
  return out << c.name;
}

class FunctionsFaults : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FunctionsFaults, MathErrorExactlyWhereListed) {
  const FaultCase& c = GetParam();
  const Outcome outcome = Apply(c.code, c.x);
  if (c.faults) {
    EXPECT_EQ(outcome.errorCode, interface::error_code::kMath);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(outcome.value), 0u);
  } else {
    EXPECT_EQ(outcome.errorCode, 0) << "value " << outcome.value;
  }
}

constexpr FaultCase kFaultCases[] = {
    // The trigonometric range ends at 2^63.
    {"SinTwoTo63", fc::kSine, kTwoTo63, true},
    {"SinBelowTwoTo63", fc::kSine, kBelowTwoTo63, false},
    {"SinMinusTwoTo63", fc::kSine, -kTwoTo63, true},
    {"Sin1e19", fc::kSine, 1e19, true},
    {"CosTwoTo63", fc::kCosine, kTwoTo63, true},
    {"CosBelowTwoTo63", fc::kCosine, -kBelowTwoTo63, false},
    {"TanTwoTo63", fc::kTangent, kTwoTo63, true},
    {"TanBelowTwoTo63", fc::kTangent, kBelowTwoTo63, false},
    // ASIN and ACOS fault as soon as 1 − x·x is negative.
    {"Asin1", fc::kArcSine, 1, false},
    {"AsinAbove1", fc::kArcSine, kAboveOne, true},
    {"AsinMinus1", fc::kArcSine, -1, false},
    {"AsinBelowMinus1", fc::kArcSine, -kAboveOne, true},
    {"AsinMinus1_5", fc::kArcSine, -1.5, true},
    {"Acos1", fc::kArcCosine, 1, false},
    {"AcosAbove1", fc::kArcCosine, kAboveOne, true},
    {"Acos2", fc::kArcCosine, 2, true},
    {"AtanHuge", fc::kArcTangent, -1.7976931348623157e308, false},
    // SINH and COSH overflow once e^|x|/2 is beyond the double range.
    {"SinhBelowLimit", fc::kHyperbolicSine, 710.47586007394386, false},
    {"SinhAboveLimit", fc::kHyperbolicSine, 710.47586007394398, true},
    {"SinhBelowMinusLimit", fc::kHyperbolicSine, -710.47586007394386, false},
    {"SinhAboveMinusLimit", fc::kHyperbolicSine, -710.47586007394398, true},
    {"CoshBelowLimit", fc::kHyperbolicCosine, 710.47586007394386, false},
    {"CoshAboveLimit", fc::kHyperbolicCosine, 710.47586007394398, true},
    {"CoshBelowMinusLimit", fc::kHyperbolicCosine, -710.47586007394386,
     false},
    {"CoshAboveMinusLimit", fc::kHyperbolicCosine, -710.47586007394398, true},
    {"Cosh1000", fc::kHyperbolicCosine, 1000, true},
    // e^x underflowing in extended makes 0.25 / h infinite.
    {"CoshMinus20000", fc::kHyperbolicCosine, -20000, true},
    {"SinhHuge", fc::kHyperbolicSine, 1e308, true},
    {"TanhHuge", fc::kHyperbolicTangent, 1e308, false},
    {"TanhJustBelowLimit", fc::kHyperbolicTangent, 5678.2224944, false},
    {"TanhMinusHuge", fc::kHyperbolicTangent, -1e308, false},
    {"AsinhHuge", fc::kInverseHyperbolicSine, 1.7976931348623157e308, false},
    {"AsinhMinusHuge", fc::kInverseHyperbolicSine, -1.7976931348623157e308,
     false},
    {"AcoshHuge", fc::kInverseHyperbolicCosine, 1.7976931348623157e308,
     false},
    {"AcoshMinusHuge", fc::kInverseHyperbolicCosine, -1e308, false},
    {"Atanh1", fc::kInverseHyperbolicTangent, 1, true},
    {"AtanhMinus1", fc::kInverseHyperbolicTangent, -1, true},
    {"AtanhMinus2", fc::kInverseHyperbolicTangent, -2, true},
    {"AtanhBelow1", fc::kInverseHyperbolicTangent, kBelowOne, false},
    {"AtanhAboveMinus1", fc::kInverseHyperbolicTangent, -kBelowOne, false},
    {"SqrtMinus4", fc::kSquareRoot, -4, true},
    {"SqrtTinyNegative", fc::kSquareRoot, -5e-324, true},
    {"SqrtMinusZero", fc::kSquareRoot, -0.0, false},
    {"SqrtHuge", fc::kSquareRoot, 1.7976931348623157e308, false},
    {"Log0", fc::kLog10, 0, true},
    {"LogMinusZero", fc::kLog10, -0.0, true},
    {"LogMinus1", fc::kLog10, -1, true},
    {"LogTinyPositive", fc::kLog10, 5e-324, false},
    {"Ln0", fc::kNaturalLog, 0, true},
    {"LnMinus1", fc::kNaturalLog, -1, true},
    {"LnTinyPositive", fc::kNaturalLog, 5e-324, false},
    // EXP: the double range ends near 709.7827128933827; whole exponents
    // from 11357 on overflow the extended product before its reciprocal.
    {"Exp709", fc::kExponential, 709, false},
    {"Exp710", fc::kExponential, 710, true},
    {"ExpBelowLimit", fc::kExponential, 709.78271289338272, false},
    {"ExpAboveLimit", fc::kExponential, 709.78271289338284, true},
    {"ExpMinus1000", fc::kExponential, -1000, false},
    {"ExpMinus8192", fc::kExponential, -8192, false},
    {"ExpMinus11356", fc::kExponential, -11356, false},
    {"ExpMinus11357", fc::kExponential, -11357, true},
    {"ExpMinus20000", fc::kExponential, -20000, true},
    {"ExpMinus20000_5", fc::kExponential, -20000.5, false},
    {"ExpMinusLargestWhole", fc::kExponential, -2147483647, true},
    {"ExpMinusBeyondWhole", fc::kExponential, -2147483648, false},
    // DEGREE overflows near 3.1375664143845870e306.
    {"DegreeBelowLimit", fc::kDegree, 3.1375664143845866e306, false},
    {"DegreeAboveLimit", fc::kDegree, 3.1375664143845872e306, true},
    {"DegreeMinusAboveLimit", fc::kDegree, -3.1375664143845872e306, true},
    {"Degree1e307", fc::kDegree, 1e307, true},
    {"RadianHuge", fc::kRadian, 1.7976931348623157e308, false},
    {"FloorHuge", fc::kFloor, -1.7976931348623157e308, false},
    {"CeilHuge", fc::kCeil, 1.7976931348623157e308, false},
    {"AbsHuge", fc::kAbs, -1.7976931348623157e308, false},
    {"FracHuge", fc::kFrac, 1.7976931348623157e308, false},
    {"RoundHuge", fc::kRound, -1.7976931348623157e308, false},
};

INSTANTIATE_TEST_SUITE_P(
    Table, FunctionsFaults, ::testing::ValuesIn(kFaultCases),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FunctionsUnknownCode, YieldsZero) {
  EXPECT_EQ(std::bit_cast<std::uint64_t>(
                static_cast<double>(ApplyFunction('#', 5.0))),
            0u);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(
                static_cast<double>(ApplyFunction(0xFF, -5.0))),
            0u);
}

}  // namespace
}  // namespace evaluator
