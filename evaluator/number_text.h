#pragma once

#include <string_view>

namespace evaluator {

// The plain-number test: optional sign, digits, at most one ".", thousands
// commas at multiples of 4 bytes before the point; blanks around are fine.
bool IsNumberText(std::string_view text) noexcept;
inline bool IsNumberText(const char* text) noexcept { return IsNumberText(std::string_view(text)); }

}  // namespace evaluator
