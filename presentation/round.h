#pragma once

namespace presentation {

// Rounds x by a numeric format text N or N.M: to N significant digits and M
// decimals, halves away from zero. The empty text returns x unchanged.
double RoundByFormat(const char* formatText, double x) noexcept;

}  // namespace presentation
