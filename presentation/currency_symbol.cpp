#include "presentation/currency_symbol.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "evaluator/utf8.h"
namespace presentation {
namespace {

// The characters a locale's currency symbol can have beyond ASCII that code
// page 932 holds, as ranges of code points with the code of the first; the
// codes are those of the conversion table the command-line tool's iconv
// "CP932" uses. Reading code page 932 back, only rows marked as the
// preferred reading of their codes are used (0x8191 reads as U+FFE0, not
// U+00A2; 0x5C is ASCII).
struct CharacterRange {
  char32_t first;
  char32_t last;
  unsigned cp932First;
  bool preferredReading;
};

constexpr CharacterRange kCharacterRanges[] = {
    {0x00A2, 0x00A2, 0x8191, false},  // cent sign
    {0x00A3, 0x00A3, 0x8192, false},  // pound sign
    {0x00A5, 0x00A5, 0x005C, false},  // yen sign: the single byte the yen is shown as
    {0x00AC, 0x00AC, 0x81CA, false},  // not sign
    {0x0401, 0x0401, 0x8446, true},   // Cyrillic, as in the rouble, hryvnia, lev and denar
    {0x0410, 0x0415, 0x8440, true},
    {0x0416, 0x042F, 0x8447, true},
    {0x0430, 0x0435, 0x8470, true},
    {0x0436, 0x043D, 0x8477, true},
    {0x043E, 0x044F, 0x8480, true},
    {0x0451, 0x0451, 0x8476, true},
    {0xFF04, 0xFF04, 0x8190, true},  // full-width dollar
    {0xFFE0, 0xFFE0, 0x8191, true},  // full-width cent
    {0xFFE1, 0xFFE1, 0x8192, true},  // full-width pound
    {0xFFE2, 0xFFE2, 0x81CA, true},  // full-width not sign
    {0xFFE5, 0xFFE5, 0x818F, true},  // full-width yen
};
static_assert(std::ranges::is_sorted(kCharacterRanges, {}, &CharacterRange::first));

constexpr unsigned kNoCode = 0;

unsigned Cp932Code(char32_t codePoint) noexcept {
  for (const CharacterRange& range : kCharacterRanges) {
    if (codePoint >= range.first && codePoint <= range.last)
      return range.cp932First + (codePoint - range.first);
  }
  return kNoCode;
}

char32_t CodePointOfCp932(unsigned code) noexcept {
  for (const CharacterRange& range : kCharacterRanges) {
    if (range.preferredReading && code >= range.cp932First &&
        code <= range.cp932First + (range.last - range.first))
      return range.first + (code - range.cp932First);
  }
  return 0;
}

// Appends to a fixed buffer, remembering whether everything fitted.
class SymbolWriter {
 public:
  explicit SymbolWriter(char (&buffer)[kCurrencySymbolSize]) noexcept : buffer_(buffer) {}

  void Byte(unsigned byte) noexcept {
    if (length_ + 1 >= kCurrencySymbolSize) {
      overflowed_ = true;
      return;
    }
    buffer_[length_++] = static_cast<char>(byte);
    buffer_[length_] = '\0';
  }

  void Cp932(unsigned code) noexcept {
    if (code > 0xFF) Byte(code >> 8);
    Byte(code & 0xFF);
  }

  void Utf8(char32_t codePoint) noexcept {
    if (codePoint < 0x80) {
      Byte(codePoint);
    } else if (codePoint < 0x800) {
      Byte(0xC0 | (codePoint >> 6));
      Byte(0x80 | (codePoint & 0x3F));
    } else {  // the table holds nothing beyond the basic plane
      Byte(0xE0 | (codePoint >> 12));
      Byte(0x80 | ((codePoint >> 6) & 0x3F));
      Byte(0x80 | (codePoint & 0x3F));
    }
  }

  bool Overflowed() const noexcept { return overflowed_; }

 private:
  char (&buffer_)[kCurrencySymbolSize];
  int length_ = 0;
  bool overflowed_ = false;
};


bool IsAscii(unsigned char byte) noexcept { return byte < 0x80; }

bool FromUtf8(const char* symbol, SymbolWriter& cp932, SymbolWriter& utf8) noexcept {
  for (const char* p = symbol; *p != '\0';) {
    char32_t codePoint = static_cast<unsigned char>(*p);
    if (IsAscii(static_cast<unsigned char>(*p))) {
      ++p;
    } else {  // the decoder reads only characters beyond ASCII
      const evaluator::Utf8Character c = evaluator::DecodeUtf8(p);
      if (c.length == 0) return false;
      p += c.length;
      codePoint = c.codePoint;
    }
    const unsigned code = codePoint < 0x80 ? codePoint : Cp932Code(codePoint);
    if (code == kNoCode) return false;
    cp932.Cp932(code);
    utf8.Utf8(codePoint);
  }
  return true;
}

bool IsCp932LeadByte(unsigned char byte) noexcept {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool FromCp932(std::string_view symbol, SymbolWriter& cp932, SymbolWriter& utf8) noexcept {
  for (std::size_t i = 0; i < symbol.size();) {
    const auto lead = static_cast<unsigned char>(symbol[i++]);
    unsigned code = lead;
    if (IsCp932LeadByte(lead)) {
      if (i >= symbol.size()) return false;
      code = (code << 8) | static_cast<unsigned char>(symbol[i++]);
    }
    const char32_t codePoint = code < 0x80 ? code : CodePointOfCp932(code);
    if (codePoint == 0) return false;
    cp932.Cp932(code);
    utf8.Utf8(codePoint);
  }
  return true;
}

bool FromAscii(std::string_view symbol, SymbolWriter& cp932, SymbolWriter& utf8) noexcept {
  for (const char c : symbol) {
    const auto byte = static_cast<unsigned char>(c);
    if (!IsAscii(byte)) return false;
    cp932.Byte(byte);
    utf8.Byte(byte);
  }
  return true;
}

// Character set names compare without case, hyphens or underscores
// ("UTF-8", "utf8"; "Shift_JIS", "SJIS").
bool NamesCharset(const char* codeset, std::initializer_list<std::string_view> names) noexcept {
  char folded[32] = {};
  std::size_t length = 0;
  for (const char* p = codeset; *p != '\0'; ++p) {
    if (*p == '-' || *p == '_') continue;
    if (length + 1 >= sizeof folded) return false;
    folded[length++] = (*p >= 'a' && *p <= 'z') ? static_cast<char>(*p - 'a' + 'A') : *p;
  }
  const std::string_view name(folded, length);
  return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

}  // namespace

bool ConvertCurrencySymbol(const char* symbol, const char* codeset,
                           char (&cp932)[kCurrencySymbolSize],
                           char (&utf8)[kCurrencySymbolSize]) noexcept {
  cp932[0] = utf8[0] = '\0';
  if (symbol == nullptr) return false;
  if (codeset == nullptr) codeset = "";
  SymbolWriter cp932Writer(cp932), utf8Writer(utf8);
  const std::string_view text(symbol);
  bool converted;
  if (NamesCharset(codeset, {"UTF8"})) {
    converted = FromUtf8(symbol, cp932Writer, utf8Writer);
  } else if (NamesCharset(codeset, {"SJIS", "SHIFTJIS", "CP932", "WINDOWS31J", "MSKANJI"})) {
    converted = FromCp932(text, cp932Writer, utf8Writer);
  } else {
    converted = FromAscii(text, cp932Writer, utf8Writer);
  }
  if (converted && !cp932Writer.Overflowed() && !utf8Writer.Overflowed()) return true;
  cp932[0] = utf8[0] = '\0';
  return false;
}

}  // namespace presentation
