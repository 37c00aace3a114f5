#include "cli/explain.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace cli {
namespace {

struct CodePointRange {
  char32_t first;
  char32_t last;
};

// Characters terminals show in two columns (the wide and full-width ones of
// Unicode's East Asian Width; the ambiguous ones, such as π and √, take one
// column outside Japanese terminals and are left narrow).
constexpr CodePointRange kWideRanges[] = {
    {0x1100, 0x115F},   {0x2E80, 0x303E},   {0x3041, 0x33FF},   {0x3400, 0x4DBF},
    {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};
static_assert(std::ranges::is_sorted(kWideRanges, {}, &CodePointRange::first));

bool IsWide(char32_t code_point) {
  const auto* after = std::upper_bound(
      std::begin(kWideRanges), std::end(kWideRanges), code_point,
      [](char32_t value, const CodePointRange& range) { return value < range.first; });
  return after != std::begin(kWideRanges) && code_point <= std::prev(after)->last;
}

struct Character {
  std::size_t bytes;
  int columns;
};

bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

Character Cp932CharacterAt(std::string_view text, std::size_t at) {
  if (IsCp932LeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size()) {
    return {2, 2};
  }
  return {1, 1};
}

// A byte that does not start a well-formed sequence stands for itself, one
// column wide, as terminals show a replacement character.
Character Utf8CharacterAt(std::string_view text, std::size_t at) {
  const auto byte = static_cast<unsigned char>(text[at]);
  std::size_t bytes = 0;
  char32_t code_point = 0;
  if (byte >= 0xC2 && byte <= 0xDF) {
    bytes = 2;
    code_point = byte & 0x1Fu;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    bytes = 3;
    code_point = byte & 0x0Fu;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    bytes = 4;
    code_point = byte & 0x07u;
  } else {
    return {1, 1};
  }
  if (at + bytes > text.size()) return {1, 1};
  for (std::size_t i = 1; i < bytes; ++i) {
    const auto next = static_cast<unsigned char>(text[at + i]);
    if ((next & 0xC0u) != 0x80u) return {1, 1};
    code_point = (code_point << 6) | (next & 0x3Fu);
  }
  return {bytes, IsWide(code_point) ? 2 : 1};
}

Character CharacterAt(std::string_view text, std::size_t at, LibraryEncoding encoding) {
  return encoding == LibraryEncoding::kUtf8 ? Utf8CharacterAt(text, at)
                                            : Cp932CharacterAt(text, at);
}

}  // namespace

std::string CaretLine(std::string_view library_text, LibraryEncoding encoding,
                      std::size_t offset, std::size_t length) {
  const std::size_t end = std::min(library_text.size(), offset + length);
  std::string line;
  std::size_t carets = 0;
  for (std::size_t at = 0; at < end;) {
    const Character character = CharacterAt(library_text, at, encoding);
    if (at >= offset) {
      carets += static_cast<std::size_t>(character.columns);
    } else if (library_text[at] == '\t') {
      line += '\t';
    } else {
      line.append(static_cast<std::size_t>(character.columns), ' ');
    }
    at += character.bytes;
  }
  line.append(std::max<std::size_t>(carets, 1), '^');
  return line;
}

}  // namespace cli
