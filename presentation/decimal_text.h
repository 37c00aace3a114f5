#pragma once

namespace presentation {

// Correctly rounded decimal digits of a double: rounded from its exact
// binary value to nearest, ties to even, with "." whatever the locale.
// Each returns the end of what it wrote; neither writes a NUL.

// 15 significant digits in the C library's "%.15g" form: fixed notation for
// decimal exponents -4 to 14, trailing zeros dropped, at least two exponent
// digits ("1e+15", "-0", "1.5e-05"). At most 22 bytes.
char* WriteFifteenDigitsGeneral(char* destination, double x) noexcept;

// The same text for a double whose exact value has at most 15 significant
// digits and a decimal exponent of -4 or more (integers below 10^15, halves,
// quarters, ...), written without any rounding; nullptr, with nothing
// written, for every other double.
char* WriteExactFifteenDigitsGeneral(char* destination, double x) noexcept;

// 18 significant digits in scientific form: "d.ddddddddddddddddde+XX",
// with at least two exponent digits. At most 24 bytes.
char* WriteEighteenDigitsScientific(char* destination, double x) noexcept;

// The same from the header-only {fmt}, which every platform has. Compiled
// everywhere, so that the tests can hold it against the standard library's.
namespace header_only {
char* WriteFifteenDigitsGeneral(char* destination, double x) noexcept;
char* WriteEighteenDigitsScientific(char* destination, double x) noexcept;
}  // namespace header_only

}  // namespace presentation
