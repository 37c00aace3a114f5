#pragma once

#include <cstdint>
#include <optional>

#include "evaluator/trig.h"

namespace evaluator {

// sin, cos or tan of a double x within a relative 2^-46, in double
// arithmetic: the cheap first try for callers that need f(x) only that
// well. Nothing for zero and for |x| ≥ 2^19; nothing either where x lies
// so close to a non-zero multiple of π/2 that the reduction's error could
// matter.
//
// The error: x = r + k·π/2 with π/2 in three parts (P1 and P2 of 31 and 32
// bits, so k·P1 and k·P2 are exact for k < 2^19; x − k·P1 is exact, the
// two operands lying within a factor 2). The parts miss π/2 by 2^-122, and
// the two later subtractions and k·P3 round, so the computed r is off by
// at most 2^-52·|r| + 2^-97: a relative 2^-51.9 once |r| ≥ 2^-30 (and
// r is exact when k = 0). That moves sin r and cos r by at most the same
// relative amount (|r·cot r| ≤ 1, |r·tan r| ≤ 0.8 for |r| ≤ 0.79). The
// truncated series miss by 2^-53 (sine) and 2^-58 (cosine), relatively;
// Horner's rule in doubles adds at most 20 units of 2^-53 (each sum is
// dominated by its leading term). So sine and cosine lie within 2^-48,
// their quotient within 2^-47.
inline constexpr double kCircularDoubleEstimateError = 0x1p-46;
static_assert(kCircularDoubleEstimateError <= kCircularEstimateError);

namespace circular_estimate {

// sin r for |r| ≤ 0.79, z = r·r: the series through r^15.
inline double SineOfReduced(double r, double z) noexcept {
  double p = -1.0 / 1307674368000.0;
  p = 1.0 / 6227020800.0 + z * p;
  p = -1.0 / 39916800.0 + z * p;
  p = 1.0 / 362880.0 + z * p;
  p = -1.0 / 5040.0 + z * p;
  p = 1.0 / 120.0 + z * p;
  p = -1.0 / 6.0 + z * p;
  return r + r * (z * p);
}

// cos r for |r| ≤ 0.79, z = r·r: the series through r^16.
inline double CosineOfReduced(double z) noexcept {
  double p = 1.0 / 20922789888000.0;
  p = -1.0 / 87178291200.0 + z * p;
  p = 1.0 / 479001600.0 + z * p;
  p = -1.0 / 3628800.0 + z * p;
  p = 1.0 / 40320.0 + z * p;
  p = -1.0 / 720.0 + z * p;
  p = 1.0 / 24.0 + z * p;
  p = -0.5 + z * p;
  return 1.0 + z * p;
}

inline constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
inline constexpr double kHalfPi1 = 0x1.921fb544p0;
inline constexpr double kHalfPi2 = 0x1.0b4611a6p-34;
inline constexpr double kHalfPi3 = 0x1.3198a2e037073p-69;
// Adding and taking away 1.5·2^52 rounds a smaller magnitude to a whole
// number (ties to even).
inline constexpr double kRoundingShift = 0x1.8p52;

}  // namespace circular_estimate

inline std::optional<double> CircularEstimateOfDouble(CircularFunction f, double x) noexcept {
  namespace c = circular_estimate;
  const double magnitude = x < 0 ? -x : x;
  if (!(magnitude < 0x1p19) || x == 0) return std::nullopt;
  const double quadrants = (x * c::kTwoOverPi + c::kRoundingShift) - c::kRoundingShift;
  const double r = ((x - quadrants * c::kHalfPi1) - quadrants * c::kHalfPi2) - quadrants * c::kHalfPi3;
  const double rMagnitude = r < 0 ? -r : r;
  if (rMagnitude > 0.79 || (quadrants != 0 && rMagnitude < 0x1p-30)) return std::nullopt;
  const double z = r * r;
  // x = r + k·π/2: sin x = sin r, cos r, −sin r, −cos r and cos x = cos r,
  // −sin r, −cos r, sin r for k = 0 to 3 (modulo 4).
  const unsigned k = static_cast<unsigned>(static_cast<std::int64_t>(quadrants)) & 3;
  const bool odd = (k & 1) != 0;
  switch (f) {
    case CircularFunction::kSine: {
      const double v = odd ? c::CosineOfReduced(z) : c::SineOfReduced(r, z);
      return k >= 2 ? -v : v;
    }
    case CircularFunction::kCosine: {
      const double v = odd ? c::SineOfReduced(r, z) : c::CosineOfReduced(z);
      return (k == 1 || k == 2) ? -v : v;
    }
    default: {
      // tan x = tan r for even k, −cot r for odd k.
      const double s = c::SineOfReduced(r, z);
      const double co = c::CosineOfReduced(z);
      return odd ? -(co / s) : s / co;
    }
  }
}

}  // namespace evaluator
