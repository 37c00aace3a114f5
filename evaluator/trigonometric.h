#pragma once

#include <cstdint>

#include "evaluator/extended.h"

namespace evaluator {

// SIN, COS or TAN (code 'S', 'C' or 'T') of x, rounded to 10 decimals: the
// extended result rounded to a double r, r·10^10 rounded to a double and to
// a whole number (halves away from zero), divided by 10^10 in extended.
// |x| >= 2^63 is a fault and yields a NaN.
//   Trigonometric('S', 1.0)  -> 0.8414709848 (nearest extended)
//   Trigonometric('T', -π)   -> -0
Extended Trigonometric(std::uint8_t code, double x) noexcept;

}  // namespace evaluator
