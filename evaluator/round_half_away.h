#pragma once

#include <cmath>

namespace evaluator {

// The "ROUND" computation: halves away from zero. The sum is a double before
// floor or ceil sees it, so ROUND(0.49999999999999994) is 1.
inline double RoundHalfAwayFromZero(double x) noexcept {
  return x >= 0 ? std::floor(x + 0.5) : std::ceil(x - 0.5);
}

}  // namespace evaluator
