#pragma once

#include "evaluator/extended.h"

namespace evaluator {

// The transcendental primitives. Each returns the extended value nearest to
// the exact mathematical result of its extended operands (ties to even),
// with IEEE special values: NaN for an invalid operation, ±infinity for a
// pole or an overflow, gradual underflow to subnormals and zero.

// |x| < 2^63; larger arguments are the caller's fault to report.
Extended Sine(Extended x) noexcept;
Extended Cosine(Extended x) noexcept;
Extended Tangent(Extended x) noexcept;
// The angle of the point (x, y): atan2(0, −1) = π, atan2(±1, 0) = ±π/2.
Extended ArcTangent2(Extended y, Extended x) noexcept;

Extended Log2(Extended x) noexcept;            // log2(0) = −inf, x < 0: NaN
Extended NaturalLog(Extended x) noexcept;      // ln(x), true e
Extended LnOnePlus(Extended y) noexcept;       // ln(1 + y) without forming 1 + y
Extended Exp(Extended x) noexcept;             // e^x, true e
Extended Exp2(Extended x) noexcept;            // 2^x
// log10(2) rounded to extended, times the exact log2(x), rounded once.
Extended Log10Product(Extended x) noexcept;

}  // namespace evaluator
