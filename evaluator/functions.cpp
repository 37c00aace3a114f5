#include "evaluator/functions.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "evaluator/operations.h"
#include "evaluator/token.h"

// Every function works in long double (the 80-bit extended format) step by
// step, using the C library's extended primitives (sinl, atan2l, log2l,
// expl, sqrtl, log1pl, ...). Faults are not read from the floating-point
// exception flags: the trigonometric range check raises none, and the
// compiler may fold or drop overflowing steps. Instead each fault comes out
// of the arithmetic as an infinity or a NaN, or as a finite extended value
// beyond the double range, and the caller judges the result.

namespace evaluator {
namespace {

static_assert(std::numeric_limits<long double>::digits == 64,
              "long double must be the 80-bit extended format");

static_assert(std::bit_cast<std::uint64_t>(kPi) == 0x400921FB54442D18u);
static_assert(std::bit_cast<std::uint64_t>(kExponentialBase) ==
              0x4005BF0A8B145774u);

// π rounded to a 64-bit significand. Scaling by a power of two is exact, so
// the integer conversion shows the significand bits of the literal.
constexpr long double kPiExtended = 0xC.90FDAA22168C235p-2L;
static_assert(static_cast<std::uint64_t>(kPiExtended * 0x1p62L) ==
              0xC90FDAA22168C235u);
static_assert(static_cast<double>(kPiExtended) == kPi);

// 1/180 rounded to extended.
constexpr long double kOne180th = 1.0L / 180.0L;
static_assert(static_cast<std::uint64_t>(kOne180th * 0x1p71L) ==
              0xB60B60B60B60B60Bu);

// log10(2) rounded to extended.
constexpr long double kLog10Of2 = 0x9.A209A84FBCFF799p-5L;
static_assert(static_cast<std::uint64_t>(kLog10Of2 * 0x1p65L) ==
              0x9A209A84FBCFF799u);

// Keeps t·t = e^(2x) inside the extended range; beyond it the quotient
// would be 1 anyway.
constexpr long double kTanhLimit = 5678.22249441322L;

// The sine, cosine and tangent primitives reduce their argument only below
// 2^63.
constexpr long double kTrigonometricRange = 0x1p63L;

// Above it √(a·a + 1) equals a in extended precision, so ASINH and ACOSH
// take ln(2) + ln(a) instead.
constexpr long double kLargeArgument = 1e10L;

// ATANH's value for |x| >= 1: finite in extended, beyond the double range,
// so it becomes the Math error when the result is rounded to a double.
constexpr long double kAtanhOverflow = 1.1e4932L;

constexpr double kTenDecimalsScale = 1e10;

constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

// The "ROUND" computation: halves away from zero. The sum is a double before
// floor or ceil sees it, so ROUND(0.49999999999999994) is 1.
double RoundHalfAwayFromZero(double x) noexcept {
  return x >= 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5);
}

// A trigonometric result r rounded to 10 decimals: r·10^10 as a double,
// rounded to a whole number, then divided by 10^10 in extended precision.
long double RoundToTenDecimals(long double raw) noexcept {
  const double r = static_cast<double>(raw);
  const double scaled =
      static_cast<double>(static_cast<long double>(r) * kTenDecimalsScale);
  return static_cast<long double>(RoundHalfAwayFromZero(scaled)) /
         kTenDecimalsScale;
}

long double Trigonometric(std::uint8_t code, long double x) noexcept {
  if (std::fabs(x) >= kTrigonometricRange) return kNaN;
  switch (code) {
    case function_code::kSine: return RoundToTenDecimals(std::sin(x));
    case function_code::kCosine: return RoundToTenDecimals(std::cos(x));
    default: return RoundToTenDecimals(std::tan(x));
  }
}

// √(1 − x·x), or NaN when that is negative (|x| above 1).
long double CoSine(long double x) noexcept {
  const long double w = 1.0L - x * x;
  return w < 0 ? kNaN : std::sqrt(w);
}

// ln(1 + y), without forming 1 + y where that would lose y's low bits.
long double LnOnePlus(long double y) noexcept {
  return (y >= 0 && y < 0.25L) ? std::log1p(y) : std::log(1.0L + y);
}

// A tiny h (e^x underflowing) makes 0.25 / h infinite: that is the fault.
long double HyperbolicCosine(long double x) noexcept {
  const long double h = std::exp(x) / 2;
  return h + 0.25L / h;
}

long double HyperbolicSine(long double x) noexcept {
  const long double h = std::exp(x) / 2;
  return h + (-0.25L) / h;
}

long double HyperbolicTangent(long double x) noexcept {
  if (x > kTanhLimit) return 1.0L;
  if (x < -kTanhLimit) return -1.0L;
  long double t = std::exp(x);
  t = t * t;
  return (t - 1) / (t + 1);
}

long double InverseHyperbolicSine(long double x) noexcept {
  if (x == 0) return 0.0L;
  const bool negative = x < 0;
  const long double a = std::fabs(x);
  long double result;
  if (a > kLargeArgument) {
    result = std::log(2.0L) + std::log(a);
  } else {
    const long double q = a * a;
    result = LnOnePlus(a + q / (std::sqrt(q + 1) + 1));
  }
  return negative ? -result : result;
}

long double InverseHyperbolicCosine(long double x) noexcept {
  if (x <= 1) return 0.0L;
  if (x > kLargeArgument) return std::log(2.0L) + std::log(x);
  return std::log(x + std::sqrt((x - 1) * (x + 1)));
}

long double InverseHyperbolicTangent(long double x) noexcept {
  if (x == 0) return 0.0L;
  const bool negative = x < 0;
  const long double a = std::fabs(x);
  const long double result =
      a >= 1 ? kAtanhOverflow : LnOnePlus(2 * a / (1 - a)) * 0.5L;
  return negative ? -result : result;
}

// log2 of 0 is −inf and of a negative number NaN: both are the fault.
long double Log10(long double x) noexcept { return kLog10Of2 * std::log2(x); }

long double NaturalLog(long double x) noexcept {
  return std::log2(x) /
         std::log2(static_cast<long double>(kExponentialBase));
}

long double Degree(long double x) noexcept { return (x / kPiExtended) * 180; }

long double Radian(long double x) noexcept {
  return kPiExtended * (x * kOne180th);
}

// FRAC keeps the sign of x: the whole part is truncated toward zero.
double Frac(double x) noexcept {
  return x >= 0 ? x - std::floor(x) : x - std::ceil(x);
}

}  // namespace

long double ApplyFunction(std::uint8_t code, double x) noexcept {
  const long double e = x;
  switch (code) {
    case function_code::kSine:
    case function_code::kCosine:
    case function_code::kTangent: return Trigonometric(code, e);
    case function_code::kArcSine: return std::atan2(e, CoSine(e));
    case function_code::kArcCosine: return std::atan2(CoSine(e), e);
    case function_code::kArcTangent: return std::atan2(e, 1.0L);
    case function_code::kHyperbolicSine: return HyperbolicSine(e);
    case function_code::kHyperbolicCosine: return HyperbolicCosine(e);
    case function_code::kHyperbolicTangent: return HyperbolicTangent(e);
    case function_code::kInverseHyperbolicSine:
      return InverseHyperbolicSine(e);
    case function_code::kInverseHyperbolicCosine:
      return InverseHyperbolicCosine(e);
    case function_code::kInverseHyperbolicTangent:
      return InverseHyperbolicTangent(e);
    case function_code::kSquareRoot: return RaisePower(e, 0.5L);
    case function_code::kExponential: return RaisePower(kExponentialBase, e);
    case function_code::kLog10: return Log10(e);
    case function_code::kNaturalLog: return NaturalLog(e);
    case function_code::kDegree: return Degree(e);
    case function_code::kRadian: return Radian(e);
    case function_code::kFloor: return std::floor(x);
    case function_code::kCeil: return std::ceil(x);
    case function_code::kAbs: return x >= 0 ? x : -x;
    case function_code::kFrac: return Frac(x);
    case function_code::kRound: return RoundHalfAwayFromZero(x);
    default: return 0.0L;
  }
}

}  // namespace evaluator
