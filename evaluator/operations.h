#pragma once

#include <cstdint>
#include <optional>

#include "evaluator/extended.h"

namespace evaluator {

// The power where products give it: a zero exponent, a zero base with a
// positive exponent, a whole exponent up to 2^31 − 1 in magnitude
// (repeated squaring). Nothing for the others.
std::optional<Extended> RaiseByProducts(double base, double exponent) noexcept;

// The power operation in extended precision. The result may be an infinity
// or a NaN; callers judge that as a fault.
//   RaisePower(-2, 3)  -> -8 (a whole exponent: repeated squaring)
//   RaisePower(2, 0.5) -> 2^(0.5 · log2(2))
Extended RaisePower(double base, double exponent) noexcept;

// One step of arithmetic: an operator on left and right, or a function on
// right (left is then 0). A fault (invalid operation, division by zero, a
// result beyond the double range) sets errorCode to Math and yields 0.
double ApplyOperation(double left, std::uint8_t code, double right,
                      std::int32_t& errorCode) noexcept;

}  // namespace evaluator
