#pragma once

#include <cstddef>

namespace interface {

// The longest 15-digit result text: "-1.23456789012345e-100".
inline constexpr std::size_t kResultTextMaxLength = 22;

// Writes x with 15 significant digits, "." as the point whatever the
// locale, "-0" for negative zero, into destination (room for 23 bytes).
void WriteResultText(char* destination, double x) noexcept;

}  // namespace interface
