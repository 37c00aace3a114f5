#pragma once

namespace evaluator {

// Maps full-width brackets, signs, digits and Latin letters to ASCII and
// tab, carriage return and line feed to blanks, in place, in one pass.
void ToHalfWidth(char* text) noexcept;

}  // namespace evaluator
