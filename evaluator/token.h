#pragma once

#include <cstdint>

namespace evaluator {

// A token is a one-byte code and a double: the number for a number token,
// the rank (binding strength or kind) for every other token.
inline constexpr std::uint8_t kNumberCode = '#';
inline constexpr std::uint8_t kEndCode = 0;
inline constexpr std::uint8_t kExponentMarkerCode = 'e';

namespace rank {
inline constexpr double kEnd = 0;
inline constexpr double kAdditive = 1;        // + -
inline constexpr double kMultiplicative = 2;  // * /
inline constexpr double kPower = 3;           // ^
inline constexpr double kExponentMarker = 7;  // E
inline constexpr double kFunction = 8;
inline constexpr double kTrigFunction = 9;    // reduced exactly like kFunction
inline constexpr double kOpenBracket = 11;
inline constexpr double kCloseBracket = 12;
}  // namespace rank

// The rank of each byte of the operator set "+-*^/(){}[]".
constexpr double OperatorRank(char b) noexcept {
  switch (b) {
    case '(': case '[': case '{': return rank::kOpenBracket;
    case ')': case ']': case '}': return rank::kCloseBracket;
    case '*': case '/': return rank::kMultiplicative;
    case '^': return rank::kPower;
    default: return rank::kAdditive;  // + -
  }
}

// π as the double nearest to it (bits 400921FB54442D18).
inline constexpr double kPi = 3.141592653589793;

}  // namespace evaluator
