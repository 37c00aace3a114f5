#pragma once

#include <cstdint>
#include <optional>

#include "evaluator/extended.h"

namespace evaluator {

// SIN, COS or TAN (code 'S', 'C' or 'T') of x, rounded to 10 decimals: the
// extended result rounded to a double r, r·10^10 rounded to a double and to
// a whole number (halves away from zero), divided by 10^10 in extended.
// |x| >= 2^63 is a fault and yields a NaN.
//   Trigonometric('S', 1.0)  -> 0.8414709848 (nearest extended)
//   Trigonometric('T', -π)   -> -0
Extended Trigonometric(std::uint8_t code, double x) noexcept;

// The same rounded to a double, where the cheap estimate settles the step
// count; nothing elsewhere, nor for the fault.
std::optional<double> TrigonometricRoundedToDouble(std::uint8_t code, double x) noexcept;

// The same through the correctly rounded primitive every time, without the
// cheaper enclosure that usually settles the step: the reference the
// faster one must equal bit for bit.
Extended TrigonometricCorrectlyRounded(std::uint8_t code, double x) noexcept;

}  // namespace evaluator
