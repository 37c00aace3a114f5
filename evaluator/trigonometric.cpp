#include "evaluator/trigonometric.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "evaluator/extended_constants.h"
#include "evaluator/functions.h"
#include "evaluator/primitives.h"
#include "evaluator/round_half_away.h"
#include "evaluator/trig.h"

namespace evaluator {
namespace {

// The primitives reduce their argument only below 2^63.
constexpr double kTrigonometricRange = 0x1p63;

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

// Only the step count matters, and it is monotone in the exact value: when
// both ends of a cheap enclosure give the same count (signed zero
// included), so does the exact value, and the correctly rounded result is
// needed only near the points where the count changes.
Extended RoundedToTenDecimals(CircularFunction f, Extended x) noexcept {
  if (const auto bounds = CircularBounds(f, x)) {
    const double low = TenDecimalSteps(bounds->low);
    const double high = TenDecimalSteps(bounds->high);
    if (std::bit_cast<std::uint64_t>(low) == std::bit_cast<std::uint64_t>(high))
      return FromSteps(low);
  }
  return FromSteps(TenDecimalSteps(CorrectlyRounded(f, x)));
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
  return RoundedToTenDecimals(FunctionOf(code), Extended(x));
}

Extended TrigonometricCorrectlyRounded(std::uint8_t code, double x) noexcept {
  if (std::fabs(x) >= kTrigonometricRange) return constants::kNaN;
  const CircularFunction f = FunctionOf(code);
  return FromSteps(TenDecimalSteps(CorrectlyRounded(f, Extended(x))));
}

}  // namespace evaluator
