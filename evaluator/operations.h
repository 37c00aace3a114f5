#pragma once

#include <cstdint>

namespace evaluator {

// The power operation in extended precision. The result may be an infinity
// or a NaN; callers judge that as a fault.
long double RaisePower(long double base, long double exponent) noexcept;

// One step of arithmetic: an operator on left and right, or a function on
// right (left is then 0). A fault (invalid operation, division by zero, a
// result beyond the double range) sets errorCode to Math and yields 0.
double ApplyOperation(double left, std::uint8_t code, double right,
                      std::int32_t& errorCode) noexcept;

}  // namespace evaluator
