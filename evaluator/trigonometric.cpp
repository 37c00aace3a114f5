#include "evaluator/trigonometric.h"

#include <cmath>

#include "evaluator/extended_constants.h"
#include "evaluator/functions.h"
#include "evaluator/primitives.h"
#include "evaluator/round_half_away.h"

namespace evaluator {
namespace {

// The primitives reduce their argument only below 2^63.
constexpr double kTrigonometricRange = 0x1p63;

Extended RoundToTenDecimals(Extended raw) noexcept {
  const double r = static_cast<double>(raw);
  const double scaled = static_cast<double>(Extended(r) * constants::kTenDecimalsScale);
  return Extended(RoundHalfAwayFromZero(scaled)) / constants::kTenDecimalsScale;
}

}  // namespace

Extended Trigonometric(std::uint8_t code, double x) noexcept {
  if (std::fabs(x) >= kTrigonometricRange) return constants::kNaN;
  const Extended e(x);
  switch (code) {
    case function_code::kSine: return RoundToTenDecimals(Sine(e));
    case function_code::kCosine: return RoundToTenDecimals(Cosine(e));
    default: return RoundToTenDecimals(Tangent(e));
  }
}

}  // namespace evaluator
