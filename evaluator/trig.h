#pragma once

#include <optional>

#include "evaluator/extended.h"

namespace evaluator {

enum class CircularFunction { kSine, kCosine, kTangent };

struct ValueBounds {
  Extended low;
  Extended high;
};

// Extended values with low ≤ f(x) ≤ high, from a one-word evaluation (a
// relative width near 2^-40): for callers whose later rounding only needs
// to know f(x) that well. Nothing for zero, NaN, infinities and |x| ≥ 2^63.
std::optional<ValueBounds> CircularBounds(CircularFunction f,
                                          Extended x) noexcept;

}  // namespace evaluator
