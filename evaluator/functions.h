#pragma once

#include <cstdint>

#include "evaluator/extended.h"

namespace evaluator {

// The codes that function tokens carry. Six of them lie at 0x80 and above,
// so codes are always held and compared as unsigned bytes.
namespace function_code {
inline constexpr std::uint8_t kSine = 'S';
inline constexpr std::uint8_t kCosine = 'C';
inline constexpr std::uint8_t kTangent = 'T';
inline constexpr std::uint8_t kArcSine = 's';
inline constexpr std::uint8_t kArcCosine = 'c';
inline constexpr std::uint8_t kArcTangent = 't';
inline constexpr std::uint8_t kHyperbolicSine = 0x93;
inline constexpr std::uint8_t kHyperbolicCosine = 0x83;
inline constexpr std::uint8_t kHyperbolicTangent = 0x94;
inline constexpr std::uint8_t kInverseHyperbolicSine = 0xB3;
inline constexpr std::uint8_t kInverseHyperbolicCosine = 0xA3;
inline constexpr std::uint8_t kInverseHyperbolicTangent = 0xB4;
inline constexpr std::uint8_t kSquareRoot = 'Q';
inline constexpr std::uint8_t kLog10 = 'L';
inline constexpr std::uint8_t kNaturalLog = 'l';
inline constexpr std::uint8_t kExponential = 'E';
inline constexpr std::uint8_t kDegree = 'D';
inline constexpr std::uint8_t kRadian = 'R';
inline constexpr std::uint8_t kFloor = 'F';
inline constexpr std::uint8_t kCeil = 'f';
inline constexpr std::uint8_t kAbs = 'A';
inline constexpr std::uint8_t kFrac = 'M';
inline constexpr std::uint8_t kRound = 'O';
}  // namespace function_code

// The exponential base of EXP and LN: the double nearest 2.71828182845905
// (bits 4005BF0A8B145774), deliberately not e.
inline constexpr double kExponentialBase = 2.71828182845905;

// Applies the function with this code to x in extended precision and returns
// the result un-rounded; the caller rounds it to a double once. A fault is
// signalled by a non-finite result, or by one beyond the double range
// (ATANH(1) yields 1.1e4932): ApplyOperation turns either into the Math
// error. An unknown code yields 0.
//   ApplyFunction('S', 1.0)    -> 0.8414709848 (sine to 10 decimals)
//   ApplyFunction('E', 1.0)    -> 2.71828182845905
//   ApplyFunction('L', 0.0)    -> -inf (fault)
Extended ApplyFunction(std::uint8_t code, double x) noexcept;

}  // namespace evaluator
