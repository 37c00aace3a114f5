#include "evaluator/trigonometric.h"

#include <cmath>
#include <cstdint>

#include "evaluator/circular_estimate.h"
#include "evaluator/extended_constants.h"
#include "evaluator/functions.h"
#include "evaluator/primitives.h"
#include "evaluator/round_half_away.h"
#include "evaluator/rounded_once.h"
#include "evaluator/trig.h"

namespace evaluator {
namespace {

// The primitives reduce their argument only below 2^63.
constexpr double kTrigonometricRange = 0x1p63;

// Steps of 10^-10 per unit: the double behind constants::kTenDecimalsScale.
constexpr double kStepsPerUnit = 1e10;

// The whole number of 10^-10 steps a raw result rounds to: the raw value
// rounded to a double r, r·10^10 rounded to a double, then to a whole
// number, halves away from zero. Monotone in the raw value.
double TenDecimalSteps(Extended raw) noexcept {
  const double r = static_cast<double>(raw);
  return RoundHalfAwayFromZero(
      static_cast<double>(Extended(r) * constants::kTenDecimalsScale));
}

Extended FromSteps(double steps) noexcept {
  return Extended(steps) / constants::kTenDecimalsScale;
}

Extended CorrectlyRounded(CircularFunction f, Extended x) noexcept {
  switch (f) {
    case CircularFunction::kSine: return Sine(x);
    case CircularFunction::kCosine: return Cosine(x);
    default: return Tangent(x);
  }
}

// The step count from an estimate v of the raw value, when it settles it.
// The steps above give s = X·(1 + η) with X the raw value times 10^10 and
// |η| ≤ 2^-52 (two roundings to double, two to extended), and the
// rounding of s ± 0.5 moves it by under (|s| + 1)·2^-53; the estimate's
// w = |v|·10^10 differs from |X| by under |X|·(kCircularEstimateError +
// 2^-52). So when w lies farther than (w + 1)·2^-42 from every half-integer,
// every candidate rounds to w's nearest whole number; the sign (also of a
// zero) is v's, since the error is far below 1.
std::optional<double> StepsFromEstimate(double v) noexcept {
  static_assert(kCircularEstimateError <= 0x1p-43);
  const double w = (v < 0 ? -v : v) * kStepsPerUnit;
  if (!(w < 0x1p51)) return std::nullopt;
  const double whole = static_cast<double>(static_cast<std::int64_t>(w));
  const double fraction = w - whole;  // exact below 2^52
  const double distance = fraction > 0.5 ? fraction - 0.5 : 0.5 - fraction;
  if (distance <= (w + 1) * 0x1p-42) return std::nullopt;
  const double steps = fraction > 0.5 ? whole + 1 : whole;
  return v < 0 ? -steps : steps;
}

// The step count where a cheap estimate settles it: everywhere but near
// the points where the count changes. The estimate in doubles where it
// holds, else the one-word one.
std::optional<double> SettledSteps(CircularFunction f, double x) noexcept {
  if (const auto estimate = CircularEstimateOfDouble(f, x)) return StepsFromEstimate(*estimate);
  if (const auto estimate = CircularEstimate(f, Extended(x))) return StepsFromEstimate(*estimate);
  return std::nullopt;
}

// Where the estimate leaves the count open, the correctly rounded
// primitive decides.
Extended RoundedToTenDecimals(CircularFunction f, double x) noexcept {
  if (const auto steps = SettledSteps(f, x)) return FromSteps(*steps);
  return FromSteps(TenDecimalSteps(CorrectlyRounded(f, Extended(x))));
}

CircularFunction FunctionOf(std::uint8_t code) noexcept {
  switch (code) {
    case function_code::kSine: return CircularFunction::kSine;
    case function_code::kCosine: return CircularFunction::kCosine;
    default: return CircularFunction::kTangent;
  }
}

}  // namespace

Extended Trigonometric(std::uint8_t code, double x) noexcept {
  if (std::fabs(x) >= kTrigonometricRange) return constants::kNaN;
  return RoundedToTenDecimals(FunctionOf(code), x);
}

std::optional<double> TrigonometricRoundedToDouble(std::uint8_t code, double x) noexcept {
  if (std::fabs(x) >= kTrigonometricRange) return std::nullopt;
  const auto steps = SettledSteps(FunctionOf(code), x);
  if (!steps) return std::nullopt;
  if (const auto quotient = rounded_once::Quotient(*steps, kStepsPerUnit)) return quotient;
  return static_cast<double>(FromSteps(*steps));
}

Extended TrigonometricCorrectlyRounded(std::uint8_t code, double x) noexcept {
  if (std::fabs(x) >= kTrigonometricRange) return constants::kNaN;
  const CircularFunction f = FunctionOf(code);
  return FromSteps(TenDecimalSteps(CorrectlyRounded(f, Extended(x))));
}

}  // namespace evaluator
