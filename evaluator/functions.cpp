#include "evaluator/functions.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "evaluator/extended_constants.h"
#include "evaluator/operations.h"
#include "evaluator/primitives.h"
#include "evaluator/round_half_away.h"
#include "evaluator/token.h"
#include "evaluator/trigonometric.h"

// Every function works in extended precision step by step, on Extended and
// its primitives. Faults are not read from floating-point exception flags:
// the trigonometric range check raises none, and the compiler may fold or
// drop overflowing steps. Instead each fault comes out of the arithmetic as
// an infinity or a NaN, or as a finite extended value beyond the double
// range, and the caller judges the result.

namespace evaluator {
namespace {

namespace k = constants;

static_assert(std::bit_cast<std::uint64_t>(kPi) == 0x400921FB54442D18u);
static_assert(std::bit_cast<std::uint64_t>(kExponentialBase) ==
              0x4005BF0A8B145774u);

// √(1 − x·x), or NaN when that is negative (|x| above 1).
Extended CoSine(Extended x) noexcept {
  const Extended w = k::kOne - x * x;
  return w < Extended(0.0) ? k::kNaN : Sqrt(w);
}

// ln(1 + y): without forming 1 + y where that would lose y's low bits,
// else the logarithm of the rounded sum.
Extended LogOfOnePlus(Extended y) noexcept {
  return (y >= Extended(0.0) && y < k::kQuarter) ? LnOnePlus(y) : NaturalLog(k::kOne + y);
}

// A tiny h (e^x underflowing) makes 0.25 / h infinite: that is the fault.
Extended HyperbolicCosine(Extended x) noexcept {
  const Extended h = Exp(x) / Extended(2.0);
  return h + k::kQuarter / h;
}

Extended HyperbolicSine(Extended x) noexcept {
  const Extended h = Exp(x) / Extended(2.0);
  return h + (-k::kQuarter) / h;
}

Extended HyperbolicTangent(Extended x) noexcept {
  if (x > k::kTanhLimit) return k::kOne;
  if (x < -k::kTanhLimit) return -k::kOne;
  Extended t = Exp(x);
  t = t * t;
  return (t - k::kOne) / (t + k::kOne);
}

Extended InverseHyperbolicSine(Extended x) noexcept {
  if (x == Extended(0.0)) return Extended(0.0);
  const bool negative = x < Extended(0.0);
  const Extended a = Abs(x);
  Extended result;
  if (a > k::kLargeArgument) {
    result = k::kLnOf2 + NaturalLog(a);
  } else {
    const Extended q = a * a;
    result = LogOfOnePlus(a + q / (Sqrt(q + k::kOne) + k::kOne));
  }
  return negative ? -result : result;
}

Extended InverseHyperbolicCosine(Extended x) noexcept {
  if (x <= k::kOne) return Extended(0.0);
  if (x > k::kLargeArgument) return k::kLnOf2 + NaturalLog(x);
  return NaturalLog(x + Sqrt((x - k::kOne) * (x + k::kOne)));
}

Extended InverseHyperbolicTangent(Extended x) noexcept {
  if (x == Extended(0.0)) return Extended(0.0);
  const bool negative = x < Extended(0.0);
  const Extended a = Abs(x);
  const Extended result =
      a >= k::kOne ? k::kAtanhOverflow : LogOfOnePlus(Extended(2.0) * a / (k::kOne - a)) * k::kHalf;
  return negative ? -result : result;
}

// The logarithm of the exponential base, not ln(e) = 1: that is what makes
// LN(EXP(1)) exactly 1.
Extended NaturalLogByBase(Extended x) noexcept { return Log2(x) / k::kLog2OfExponentialBase; }

// The power operation with the exponential base, its logarithm known.
Extended Exponential(double x) noexcept {
  if (const auto product = RaiseByProducts(kExponentialBase, x)) return *product;
  return Exp2(Extended(x) * k::kLog2OfExponentialBase);
}

Extended Degree(Extended x) noexcept { return (x / k::kPi) * k::k180; }

Extended Radian(Extended x) noexcept { return k::kPi * (x * k::kOne180th); }

// FRAC keeps the sign of x: the whole part is truncated toward zero.
double Frac(double x) noexcept {
  return x >= 0 ? x - std::floor(x) : x - std::ceil(x);
}

}  // namespace

Extended ApplyFunction(std::uint8_t code, double x) noexcept {
  const Extended e(x);
  switch (code) {
    case function_code::kSine:
    case function_code::kCosine:
    case function_code::kTangent: return Trigonometric(code, x);
    case function_code::kArcSine: return ArcTangent2(e, CoSine(e));
    case function_code::kArcCosine: return ArcTangent2(CoSine(e), e);
    case function_code::kArcTangent: return ArcTangent2(e, k::kOne);
    case function_code::kHyperbolicSine: return HyperbolicSine(e);
    case function_code::kHyperbolicCosine: return HyperbolicCosine(e);
    case function_code::kHyperbolicTangent: return HyperbolicTangent(e);
    case function_code::kInverseHyperbolicSine: return InverseHyperbolicSine(e);
    case function_code::kInverseHyperbolicCosine: return InverseHyperbolicCosine(e);
    case function_code::kInverseHyperbolicTangent: return InverseHyperbolicTangent(e);
    case function_code::kSquareRoot: return RaisePower(x, 0.5);
    case function_code::kExponential: return Exponential(x);
    // log2 of 0 is −inf and of a negative number NaN: both are the fault.
    case function_code::kLog10: return Log10Product(e);
    case function_code::kNaturalLog: return NaturalLogByBase(e);
    case function_code::kDegree: return Degree(e);
    case function_code::kRadian: return Radian(e);
    case function_code::kFloor: return Extended(std::floor(x));
    case function_code::kCeil: return Extended(std::ceil(x));
    case function_code::kAbs: return Extended(x >= 0 ? x : -x);
    case function_code::kFrac: return Extended(Frac(x));
    case function_code::kRound: return Extended(RoundHalfAwayFromZero(x));
    default: return Extended(0.0);
  }
}

}  // namespace evaluator
