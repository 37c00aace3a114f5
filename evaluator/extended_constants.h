#pragma once

#include "evaluator/extended.h"

// The extended constants of the function computations and the rounding
// steps. Those that are not doubles are given by their bits, so every
// platform has the same ones; tests pin each against the x87's reading of
// its decimal or hexadecimal literal.
namespace evaluator::constants {

inline constexpr Extended kOne(1.0);
inline constexpr Extended kHalf(0.5);
inline constexpr Extended kQuarter(0.25);
inline constexpr Extended kTen(10.0);
inline constexpr Extended k180(180.0);

// The value a fault carries out of a computation.
inline constexpr Extended kNaN = Extended::FromBits(0x7FFF, 0xC000000000000000);

// π rounded to a 64-bit significand: 0xC.90FDAA22168C235p-2.
inline constexpr Extended kPi = Extended::FromBits(0x4000, 0xC90FDAA22168C235);

// 1/180 rounded to extended.
inline constexpr Extended kOne180th = Extended::FromBits(0x3FF7, 0xB60B60B60B60B60B);

// log10(2) rounded to extended: 0x9.A209A84FBCFF799p-5.
inline constexpr Extended kLog10Of2 = Extended::FromBits(0x3FFD, 0x9A209A84FBCFF799);

// ln(2) rounded to extended, the correctly rounded logarithm of 2.
inline constexpr Extended kLnOf2 = Extended::FromBits(0x3FFE, 0xB17217F7D1CF79AC);

// log2 of the exponential base (the double nearest 2.71828182845905), as
// the logarithm primitive gives it: 0xB.8AA3B295C184B61p-3.
inline constexpr Extended kLog2OfExponentialBase = Extended::FromBits(0x3FFF, 0xB8AA3B295C184B61);

// 0.1 rounded to extended: the tenth by which the rounding scales shrink.
inline constexpr Extended kTenth = Extended::FromBits(0x3FFB, 0xCCCCCCCCCCCCCCCD);

// 5678.22249441322 rounded to extended. Keeps t·t = e^(2x) inside the
// extended range; beyond it the hyperbolic tangent's quotient would be 1
// anyway.
inline constexpr Extended kTanhLimit = Extended::FromBits(0x400B, 0xB171C7AB26A294B5);

// 1.1e4932 rounded to extended: finite, but beyond the double range, so it
// becomes the Math error when the result is rounded to a double.
inline constexpr Extended kAtanhOverflow = Extended::FromBits(0x7FFE, 0xECB12AED7F5875E1);

// Above it √(a·a + 1) equals a in extended precision, so ASINH and ACOSH
// take ln(2) + ln(a) instead.
inline constexpr Extended kLargeArgument(1e10);

// The step of the trigonometric results' rounding to 10 decimals.
inline constexpr Extended kTenDecimalsScale(1e10);

// The midpoint between the largest double and 2^1024
// (0x1.fffffffffffff8p1023): extended values from here up round to an
// infinite double.
inline constexpr Extended kDoubleOverflowThreshold = Extended::FromBits(0x43FE, 0xFFFFFFFFFFFFFC00);

}  // namespace evaluator::constants
