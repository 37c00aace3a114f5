#pragma once

#include <cstdint>

namespace evaluator {

// One UTF-8 character read from a NUL-terminated text.
struct Utf8Character {
  char32_t codePoint;
  std::uint8_t length;  // 0: the text holds no valid character here
};

// Reads the character at p, strictly: overlong forms, surrogates, code
// points above U+10FFFF, stray continuation bytes and sequences cut short
// (by the end of the text or any other byte) are invalid. Never reads past
// the first byte that is not a valid continuation, so never past the NUL.
Utf8Character DecodeUtf8(const char* p) noexcept;

// The code page 932 form (lead * 256 + trail) of a character whose form
// matters to the evaluator, or 0 for any other character. Those that
// matter: the full-width signs, digits and Latin letters, pi, capital pi,
// the root sign, the look-alike marks, and every character whose trail
// byte is "[", "]", "^", "{" or "}" (the scanner ends a word there).
std::uint16_t CodePage932FormOf(char32_t codePoint) noexcept;

}  // namespace evaluator
