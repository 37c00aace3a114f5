#include "presentation/decimal_text.h"

#include <charconv>

// GCC 12 for aarch64 warns about an array index inside fmt's inlined
// integer-to-digits loop (format_decimal, writing the exponent); the warning
// is about fmt's code, whose output the tests check.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#include <fmt/compile.h>
#pragma GCC diagnostic pop

namespace presentation {

// Rounding a double's exact value to a given number of significant digits
// has one correct answer, so any two exact methods agree to the byte.
// libstdc++'s to_chars (exact digits by table multiplication) is two to
// three times faster here than {fmt} (exact digits from big integers), so
// it is used wherever the standard library has it; {fmt} serves where it
// does not (the WebAssembly C++ library has no floating-point to_chars).
// The unit tests hold the two side by side, ties included, and the
// cross-platform comparison holds the library's texts side by side.

namespace header_only {

char* WriteFifteenDigitsGeneral(char* destination, double x) noexcept {
  return fmt::format_to(destination, FMT_COMPILE("{:.15g}"), x);
}

char* WriteEighteenDigitsScientific(char* destination, double x) noexcept {
  return fmt::format_to(destination, FMT_COMPILE("{:.17e}"), x);
}

}  // namespace header_only

#if defined(__cpp_lib_to_chars)

char* WriteFifteenDigitsGeneral(char* destination, double x) noexcept {
  return std::to_chars(destination, destination + 22, x, std::chars_format::general, 15).ptr;
}

char* WriteEighteenDigitsScientific(char* destination, double x) noexcept {
  return std::to_chars(destination, destination + 24, x, std::chars_format::scientific, 17).ptr;
}

#else

char* WriteFifteenDigitsGeneral(char* destination, double x) noexcept {
  return header_only::WriteFifteenDigitsGeneral(destination, x);
}

char* WriteEighteenDigitsScientific(char* destination, double x) noexcept {
  return header_only::WriteEighteenDigitsScientific(destination, x);
}

#endif

}  // namespace presentation
