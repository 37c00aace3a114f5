#include "presentation/decimal_text.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

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

namespace {

constexpr std::uint64_t kFifteenDigitLimit = 1'000'000'000'000'000;  // 10^15

}  // namespace

// A double is m * 2^-k with m odd, that is m * 5^k / 10^k: when m * 5^k is
// below 10^15 those are all its digits and rounding to 15 changes nothing.
// Integers, halves, quarters and the like are common results and take this
// path; everything else goes to the general conversion.
char* WriteExactFifteenDigitsGeneral(char* destination, double x) noexcept {
  const auto bits = std::bit_cast<std::uint64_t>(x);
  const bool negative = (bits >> 63) != 0;
  const auto biasedExponent = static_cast<int>((bits >> 52) & 0x7FF);
  std::uint64_t significand = bits & ((std::uint64_t{1} << 52) - 1);
  int fractionBits = 0;  // x = significand / 2^fractionBits
  if (biasedExponent != 0 || significand != 0) {
    // Subnormals, infinities and NaNs; and from 2^52 on, x is 10^15 or more.
    if (biasedExponent == 0 || biasedExponent >= 1075) return nullptr;
    significand |= std::uint64_t{1} << 52;
    fractionBits = 1075 - biasedExponent;
    const int trailingZeros = std::countr_zero(significand);
    const int dropped = trailingZeros < fractionBits ? trailingZeros : fractionBits;
    significand >>= dropped;
    fractionBits -= dropped;
  }
  // digits = significand * 5^fractionBits, if it stays below 10^15 (5^22
  // alone does not).
  if (fractionBits > 21) return nullptr;
  std::uint64_t digits = significand;
  for (int i = 0; i < fractionBits; ++i) {
    if (digits >= kFifteenDigitLimit / 5) return nullptr;
    digits *= 5;
  }
  if (digits >= kFifteenDigitLimit) return nullptr;

  // The text is built from its end: the digits, then what goes before them.
  char text[24];
  char* const end = text + sizeof text;
  char* p = end;
  do {
    *--p = static_cast<char>('0' + digits % 10);
    digits /= 10;
  } while (digits != 0);
  const int count = static_cast<int>(end - p);
  // The decimal exponent; below -4 the form is scientific, left to the
  // general conversion. digits is odd when fractionBits > 0: no trailing zero.
  if (count - 1 - fractionBits < -4) return nullptr;
  const int integerDigits = count - fractionBits;
  if (integerDigits <= 0) {
    for (int i = integerDigits; i < 0; ++i) *--p = '0';
    *--p = '.';
    *--p = '0';
  } else if (fractionBits > 0) {
    for (int i = 0; i < integerDigits; ++i, ++p) p[-1] = p[0];
    *--p = '.';
    p -= integerDigits;
  }
  if (negative) *--p = '-';
  const auto length = static_cast<std::size_t>(end - p);
  std::memcpy(destination, p, length);
  return destination + length;
}

#if defined(__cpp_lib_to_chars)

char* WriteFifteenDigitsGeneral(char* destination, double x) noexcept {
  if (char* end = WriteExactFifteenDigitsGeneral(destination, x)) return end;
  return std::to_chars(destination, destination + 22, x, std::chars_format::general, 15).ptr;
}

char* WriteEighteenDigitsScientific(char* destination, double x) noexcept {
  return std::to_chars(destination, destination + 24, x, std::chars_format::scientific, 17).ptr;
}

#else

char* WriteFifteenDigitsGeneral(char* destination, double x) noexcept {
  if (char* end = WriteExactFifteenDigitsGeneral(destination, x)) return end;
  return header_only::WriteFifteenDigitsGeneral(destination, x);
}

char* WriteEighteenDigitsScientific(char* destination, double x) noexcept {
  return header_only::WriteEighteenDigitsScientific(destination, x);
}

#endif

}  // namespace presentation
