#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <variant>

#include "presentation/locale_settings.h"

namespace presentation {

inline constexpr std::size_t kPatternDestinationSize = 52;  // 51 bytes of text and a NUL
inline constexpr std::size_t kPatternLength = 7;            // longer patterns are cut, as the format text is
inline constexpr std::size_t kBinaryFieldLength = 39;       // digits and leading blanks, NUL not counted

// Writes x through a pattern format text (at most 7 bytes) into destination,
// which holds 52 bytes. Returns false when the pattern cannot take the value
// (the caller reports the Format error); a pattern without "%" writes nothing
// and returns true.
//   "%d" with -2.7 -> "-2"        "%05d" with -42 -> "00-42"
//   "%08b" with 5  -> "00000101"  "%.3e" with 1234.5 -> "1.23E+003"
//   "%f" with 1e20 -> "1E20"      "%n" with 1234567.891 -> "1,234,567.89"
// Nothing is written when it returns false: a refused pattern, a value outside
// the signed 32-bit range under b/d/u/x, a binary field over 39 bytes or a
// result over 51 bytes.
bool FormatByPattern(char* destination, const char* pattern, double x,
                     const LocaleSettings& settings) noexcept;

// The one value a pattern formats: an integer (d, u, x), a floating value
// (e, f, g, n, m) or a text (s).
using PatternValue = std::variant<std::int32_t, double, std::string_view>;

// The pattern formatter behind FormatByPattern, without the binary conversion
// and the zero fill. Grammar of its one conversion:
//   "%" [ "0:" ] [ "-" ] [ width ] [ "." precision ] letter
// "%%" writes "%"; a pattern that ends inside a conversion ends the output.
// Returns false, writing nothing, for a conversion that does not fit the value
// or a result over 51 bytes.
bool FormatPattern(char* destination, const char* pattern, const PatternValue& value,
                   const LocaleSettings& settings) noexcept;

}  // namespace presentation
