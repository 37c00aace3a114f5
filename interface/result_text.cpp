#include "interface/result_text.h"

#include "presentation/decimal_text.h"

namespace interface {

// The "%.15g" form is exactly the result text: fixed notation for exponents
// -4 to 14, trailing zeros dropped, ties to even, two-digit exponents at
// least, and no locale involved.
void WriteResultText(char* destination, double x) noexcept {
  static_assert(kResultTextMaxLength == 22);
  *presentation::WriteFifteenDigitsGeneral(destination, x) = '\0';
}

}  // namespace interface
