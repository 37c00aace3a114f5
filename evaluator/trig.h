#pragma once

#include <optional>

#include "evaluator/extended.h"

namespace evaluator {

enum class CircularFunction { kSine, kCosine, kTangent };

// f(x) within a relative error of kCircularEstimateError, from a one-word
// evaluation: for callers whose later rounding only needs to know f(x) that
// well. Nothing for zero, NaN, infinities, |x| ≥ 2^63, and results far
// outside the double range.
inline constexpr double kCircularEstimateError = 0x1p-43;
std::optional<double> CircularEstimate(CircularFunction f, Extended x) noexcept;

}  // namespace evaluator
