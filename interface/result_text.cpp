#include "interface/result_text.h"

#include <charconv>

namespace interface {

// to_chars' general form with 15 digits is exactly the result text: fixed
// notation for exponents -4 to 14, trailing zeros dropped, ties to even,
// two-digit exponents at least, and no locale involved.
void WriteResultText(char* destination, double x) noexcept {
  const auto result =
      std::to_chars(destination, destination + kResultTextMaxLength, x, std::chars_format::general, 15);
  *result.ptr = '\0';
}

}  // namespace interface
