#pragma once

#include <cstdint>
#include <string_view>

namespace evaluator {

// The nearest double to a number literal of digits, at most one "." (either
// side may be empty) and, when hasCommas, thousands commas already checked,
// whatever the host's locale. Above the largest double it sets the Math
// error, as an operation overflowing there would; below the smallest it is
// 0. Sets the Memory error if a long literal with commas cannot be copied.
double ConvertLiteral(std::string_view literal, bool hasCommas, std::int32_t& errorCode) noexcept;

}  // namespace evaluator
