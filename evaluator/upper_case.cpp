#include "evaluator/upper_case.h"

#include <cstdint>

namespace evaluator {

namespace {

bool IsLeadByte(std::uint8_t b) noexcept { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

// The capital for a double-byte small letter, or 0 when it is none.
std::uint16_t CapitalOf(std::uint16_t c) noexcept {
  if (c >= 0x8281 && c <= 0x829A) return static_cast<std::uint16_t>(c - 0x21);  // full-width Latin
  if (c >= 0x83BF && c <= 0x83D6) return static_cast<std::uint16_t>(c - 0x20);  // Greek, π to Π
  // Cyrillic: the small letters skip the trail byte 0x7F.
  if (c >= 0x8470 && c <= 0x847E) return static_cast<std::uint16_t>(c - 0x30);
  if (c >= 0x8480 && c <= 0x8491) return static_cast<std::uint16_t>(c - 0x31);
  return 0;
}

}  // namespace

void UpperCaseWord(char* word, std::size_t length) noexcept {
  for (std::size_t i = 0; i < length; ++i) {
    const auto b = static_cast<std::uint8_t>(word[i]);
    if (IsLeadByte(b)) {
      if (i + 1 >= length) return;  // a lone lead byte at the end stays
      const auto code = static_cast<std::uint16_t>(b << 8 | static_cast<std::uint8_t>(word[i + 1]));
      if (const std::uint16_t capital = CapitalOf(code)) {
        word[i] = static_cast<char>(capital >> 8);
        word[i + 1] = static_cast<char>(capital & 0xFF);
      }
      ++i;
    } else if (b >= 'a' && b <= 'z') {
      word[i] = static_cast<char>(b - 0x20);
    }
  }
}

}  // namespace evaluator
