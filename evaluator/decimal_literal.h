#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>

namespace evaluator {

// Exact powers of ten: every one up to 10^22 is a double.
inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                               1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The usual literal has few digits: its digits as a whole number m up to
// 2^53 and k decimals up to 22 make m / 10^k one correctly rounded division
// of two exact doubles (under round-to-nearest, which every call runs in).
// Returns false, leaving value alone, for any other m and k.
inline bool ExactQuotient(std::uint64_t mantissa, std::size_t decimals, double& value) noexcept {
  constexpr std::uint64_t kLargestExactInteger = std::uint64_t{1} << 53;
  if (mantissa > kLargestExactInteger || decimals >= std::size(kExactPowersOfTen)) return false;
  value = static_cast<double>(mantissa) / kExactPowersOfTen[decimals];
  return true;
}

// The nearest double to a number literal of digits, at most one "." (either
// side may be empty) and, when hasCommas, thousands commas already checked,
// whatever the host's locale. Above the largest double it sets the Math
// error, as an operation overflowing there would; below the smallest it is
// 0. Sets the Memory error if a long literal with commas cannot be copied.
double ConvertLiteral(std::string_view literal, bool hasCommas, std::int32_t& errorCode) noexcept;

}  // namespace evaluator
