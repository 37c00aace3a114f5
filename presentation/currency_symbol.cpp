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

// Appends to a fixed buffer, remembering whether the whole symbol was
// written: it fitted and every character had a form.
class SymbolWriter {
 public:
  explicit SymbolWriter(char (&buffer)[kCurrencySymbolSize]) noexcept : buffer_(buffer) {}

  void Byte(unsigned byte) noexcept {
    if (length_ + 1 >= kCurrencySymbolSize) {
      failed_ = true;
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

  void Fail() noexcept { failed_ = true; }

  // Leaves the buffer empty unless the whole symbol was written.
  void Finish() noexcept {
    if (failed_) buffer_[0] = '\0';
  }

 private:
  char (&buffer_)[kCurrencySymbolSize];
  int length_ = 0;
  bool failed_ = false;
};


bool IsAscii(unsigned char byte) noexcept { return byte < 0x80; }

// Malformed text in the locale's own character set gives neither form.
void FromUtf8(const char* symbol, SymbolWriter& cp932, SymbolWriter& utf8) noexcept {
  for (const char* p = symbol; *p != '\0';) {
    char32_t codePoint = static_cast<unsigned char>(*p);
    if (IsAscii(static_cast<unsigned char>(*p))) {
      ++p;
    } else {  // the decoder reads only characters beyond ASCII
      const evaluator::Utf8Character c = evaluator::DecodeUtf8(p);
      if (c.length == 0) return cp932.Fail(), utf8.Fail();
      p += c.length;
      codePoint = c.codePoint;
    }
    const unsigned code = codePoint < 0x80 ? codePoint : Cp932Code(codePoint);
    if (code == kNoCode) {
      cp932.Fail();
    } else {
      cp932.Cp932(code);
    }
    utf8.Utf8(codePoint);
  }
}

bool IsCp932LeadByte(unsigned char byte) noexcept {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

void FromCp932(std::string_view symbol, SymbolWriter& cp932, SymbolWriter& utf8) noexcept {
  for (std::size_t i = 0; i < symbol.size();) {
    const auto lead = static_cast<unsigned char>(symbol[i++]);
    unsigned code = lead;
    if (IsCp932LeadByte(lead)) {
      if (i >= symbol.size()) return cp932.Fail(), utf8.Fail();
      code = (code << 8) | static_cast<unsigned char>(symbol[i++]);
    }
    cp932.Cp932(code);
    const char32_t codePoint = code < 0x80 ? code : CodePointOfCp932(code);
    if (codePoint == 0) {
      utf8.Fail();
    } else {
      utf8.Utf8(codePoint);
    }
  }
}

void FromAscii(std::string_view symbol, SymbolWriter& cp932, SymbolWriter& utf8) noexcept {
  for (const char c : symbol) {
    const auto byte = static_cast<unsigned char>(c);
    if (!IsAscii(byte)) return cp932.Fail(), utf8.Fail();
    cp932.Byte(byte);
    utf8.Byte(byte);
  }
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

void ConvertCurrencySymbol(const char* symbol, const char* codeset,
                           char (&cp932)[kCurrencySymbolSize],
                           char (&utf8)[kCurrencySymbolSize]) noexcept {
  cp932[0] = utf8[0] = '\0';
  if (symbol == nullptr) return;
  if (codeset == nullptr) codeset = "";
  SymbolWriter cp932Writer(cp932), utf8Writer(utf8);
  if (NamesCharset(codeset, {"UTF8"})) {
    FromUtf8(symbol, cp932Writer, utf8Writer);
  } else if (NamesCharset(codeset, {"SJIS", "SHIFTJIS", "CP932", "WINDOWS31J", "MSKANJI"})) {
    FromCp932(symbol, cp932Writer, utf8Writer);
  } else {
    FromAscii(symbol, cp932Writer, utf8Writer);
  }
  cp932Writer.Finish();
  utf8Writer.Finish();
}

}  // namespace presentation
