// Conversions between code page 932 and UTF-8 for the tests and the fuzz
// targets, through glibc's iconv: the reference the library's own small
// table must agree with. Not part of the library.
#pragma once

#include <iconv.h>

#include <cstddef>
#include <optional>
#include <string>

namespace fuzz {

// The whole text converted, or nothing when any byte does not convert.
inline std::optional<std::string> Convert(const std::string& text, const char* from, const char* to) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(text.size() * 4 + 8, '\0');
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

inline std::optional<std::string> ToUtf8(const std::string& cp932) { return Convert(cp932, "CP932", "UTF-8"); }
inline std::optional<std::string> ToCodePage932(const std::string& utf8) { return Convert(utf8, "UTF-8", "CP932"); }

// The index of the character holding byte offset of text: code page 932
// characters (a lead byte takes the next byte unless that is the end) or
// UTF-8 characters (valid text assumed). An offset at the end gives the
// number of characters.
inline std::size_t CharacterIndexAt(const std::string& text, std::size_t offset, bool utf8) {
  std::size_t index = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    const auto b = static_cast<unsigned char>(text[at]);
    std::size_t size = 1;
    if (utf8) {
      size = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    } else if (((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) && at + 1 < text.size()) {
      size = 2;
    }
    if (offset < at + size) return index;
    at += size;
    ++index;
  }
  return index;
}

}  // namespace fuzz
