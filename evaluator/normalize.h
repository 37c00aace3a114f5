#pragma once

#include <cstddef>

#include "evaluator/outcome.h"

namespace evaluator {

// How a text is read before scanning.
struct TextOptions {
  bool utf8 = false;        // UTF-8 rather than code page 932
  bool lookalikes = false;  // also map the marks that look like operators
};

// The rest of Normalize, from the first byte that is not printable ASCII.
void NormalizeFrom(char* text, std::size_t from, TextOptions options) noexcept;

// Bytes 0x20 to 0x7F: the same in both encodings, kept as they are.
inline bool IsPrintableAscii(char b) noexcept { return static_cast<unsigned char>(b - 0x20) < 0x60; }

// Maps full-width brackets, signs, digits and Latin letters to ASCII and
// tab, carriage return and line feed to blanks, in place, in one pass; with
// look-alikes also "×" to "*", "÷" to "/", the long-vowel mark and the
// hyphen to "-" and the full-width space to a blank. A UTF-8 text becomes
// the working text its code page 932 form would give, except that every
// character whose form does not matter, and every invalid byte, becomes the
// one byte 0xFF: a word byte that is part of no keyword. The text never
// grows. Printable ASCII reads the same in both encodings and never
// changes; most texts are nothing else and cost one look at each byte.
// The first `from` bytes are known to be printable ASCII.
inline void Normalize(char* text, TextOptions options, std::size_t from = 0) noexcept {
  std::size_t i = from;
  while (IsPrintableAscii(text[i])) ++i;
  if (text[i] != '\0') NormalizeFrom(text, i, options);
}

// Code page 932 without look-alikes.
inline void ToHalfWidth(char* text) noexcept { Normalize(text, {}); }

struct ByteSpan {
  std::size_t offset;
  std::size_t length;
};

// The bytes of the caller's text (before normalization) that the working
// text's bytes [place.start, place.end) came from, whole characters each. An
// empty place maps to an empty span where its working offset falls. Walks
// the caller's text again; meant for reporting an error, not for every call.
ByteSpan CallerBytesOf(const char* callerText, Place place, TextOptions options) noexcept;

// The same for a caller's text of `length` bytes of printable ASCII, which
// is its own working text: no walk needed.
inline ByteSpan VerbatimBytesOf(Place place, std::size_t length) noexcept {
  if (place.start >= length) return {length, 0};
  if (place.end <= place.start) return {place.start, 0};
  const std::size_t end = place.end < length ? place.end : length;
  return {place.start, end - place.start};
}

}  // namespace evaluator
