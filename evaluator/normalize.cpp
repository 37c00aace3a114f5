#include "evaluator/normalize.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "evaluator/utf8.h"

namespace evaluator {

namespace {

// A double-byte character's code is lead byte * 256 + trail byte.
constexpr unsigned char LeadOf(std::uint16_t code) { return static_cast<unsigned char>(code >> 8); }
constexpr unsigned char TrailOf(std::uint16_t code) { return static_cast<unsigned char>(code & 0xFF); }

struct FullWidthSign {
  std::uint16_t code;
  char ascii;
};

// The full-width brackets and signs the scanner knows in their ASCII form.
// The full-width space, the multiplication sign and the division sign are
// deliberately absent: unless look-alikes are asked for, they stay and are
// reported as syntax errors.
constexpr FullWidthSign kFullWidthSigns[] = {
    {0x8169, '('}, {0x816A, ')'}, {0x816D, '['}, {0x816E, ']'}, {0x816F, '{'},
    {0x8170, '}'}, {0x817B, '+'}, {0x817C, '-'}, {0x8196, '*'}, {0x815E, '/'},
    {0x814F, '^'}, {0x8144, '.'}, {0x8143, ','}, {0x8181, '='},
};
static_assert(std::size(kFullWidthSigns) == 14);

// Digits and Latin letters are contiguous runs under one lead byte, mapped
// by offset from their first character.
struct FullWidthRange {
  std::uint16_t first;
  std::uint16_t last;
  char firstAscii;
};

constexpr FullWidthRange kFullWidthRanges[] = {
    {0x824F, 0x8258, '0'},  // "０"–"９"
    {0x8260, 0x8279, 'A'},  // "Ａ"–"Ｚ"
    {0x8281, 0x829A, 'a'},  // "ａ"–"ｚ"
};

// Marks typed for operators in a full-width input mode, mapped only on
// request: "×", "÷", the long-vowel mark "ー", the hyphen "‐" and the
// full-width space.
constexpr FullWidthSign kLookalikes[] = {
    {0x817E, '*'}, {0x8180, '/'}, {0x815B, '-'}, {0x815D, '-'}, {0x8140, ' '},
};

constexpr unsigned char kFirstMappedLead = 0x81;
constexpr unsigned char kLastMappedLead = 0x82;

// ASCII replacement of each mapped double-byte character, indexed by
// (lead - kFirstMappedLead, trail); 0 where the character stays. Built from
// the two tables above so the walk costs one load per double-byte character.
using ReplacementTable = std::array<std::array<char, 256>, kLastMappedLead - kFirstMappedLead + 1>;

constexpr ReplacementTable BuildReplacementTable(bool lookalikes) {
  ReplacementTable table{};
  for (const FullWidthSign& sign : kFullWidthSigns)
    table[LeadOf(sign.code) - kFirstMappedLead][TrailOf(sign.code)] = sign.ascii;
  for (const FullWidthRange& range : kFullWidthRanges)
    for (std::uint16_t code = range.first; code <= range.last; ++code)
      table[LeadOf(code) - kFirstMappedLead][TrailOf(code)] = static_cast<char>(range.firstAscii + (code - range.first));
  if (lookalikes)
    for (const FullWidthSign& mark : kLookalikes) table[LeadOf(mark.code) - kFirstMappedLead][TrailOf(mark.code)] = mark.ascii;
  return table;
}

constexpr ReplacementTable kReplacements = BuildReplacementTable(false);
constexpr ReplacementTable kReplacementsWithLookalikes = BuildReplacementTable(true);

// Every row must land on its own character under a mapped lead byte, and no
// range may cross a lead byte; a duplicate would silently lose a row.
constexpr bool TablesAreConsistent() {
  for (std::size_t i = 0; i < std::size(kFullWidthSigns); ++i) {
    const unsigned char lead = LeadOf(kFullWidthSigns[i].code);
    if (lead < kFirstMappedLead || lead > kLastMappedLead) return false;
    for (std::size_t j = 0; j < i; ++j)
      if (kFullWidthSigns[j].code == kFullWidthSigns[i].code) return false;
  }
  for (const FullWidthRange& range : kFullWidthRanges) {
    const unsigned char lead = LeadOf(range.first);
    if (lead != LeadOf(range.last) || lead < kFirstMappedLead || lead > kLastMappedLead) return false;
  }
  for (const FullWidthSign& mark : kLookalikes) {
    const unsigned char lead = LeadOf(mark.code);
    if (lead < kFirstMappedLead || lead > kLastMappedLead) return false;
    if (kReplacements[lead - kFirstMappedLead][TrailOf(mark.code)] != 0) return false;
  }
  return true;
}
static_assert(TablesAreConsistent());
static_assert(kReplacements[0x82 - kFirstMappedLead][0x58] == '9');
static_assert(kReplacements[0x82 - kFirstMappedLead][0x79] == 'Z');
static_assert(kReplacements[0x82 - kFirstMappedLead][0x9A] == 'z');
static_assert(kReplacements[0x81 - kFirstMappedLead][0x40] == 0);  // full-width space stays

// What the walk does with each byte it meets at the start of a character.
enum class ByteKind : unsigned char { kKept, kControlBlank, kLead, kEnd };

constexpr std::array<ByteKind, 256> BuildByteKinds() {
  std::array<ByteKind, 256> kinds{};
  kinds.fill(ByteKind::kKept);
  kinds['\0'] = ByteKind::kEnd;
  kinds['\t'] = kinds['\n'] = kinds['\r'] = ByteKind::kControlBlank;
  for (int b = 0x81; b <= 0x9F; ++b) kinds[b] = ByteKind::kLead;
  for (int b = 0xE0; b <= 0xFC; ++b) kinds[b] = ByteKind::kLead;
  return kinds;
}

constexpr std::array<ByteKind, 256> kByteKinds = BuildByteKinds();

ByteKind KindOf(char byte) noexcept { return kByteKinds[static_cast<unsigned char>(byte)]; }

// One character of the caller's text and what the working text holds for it.
struct Character {
  std::uint8_t read;     // bytes in the caller's text
  std::uint8_t written;  // bytes in the working text: 1, or 2 for a kept double-byte character
  char bytes[2];
};

Character SingleByte(char b) noexcept { return {1, 1, {KindOf(b) == ByteKind::kControlBlank ? ' ' : b, 0}}; }

// The working bytes of a double-byte character: its ASCII replacement, or
// both bytes unchanged. The trail byte is taken as is, even a tab.
Character DoubleByte(const ReplacementTable& replacements, char leadByte, char trailByte) noexcept {
  const auto lead = static_cast<unsigned char>(leadByte);
  if (lead >= kFirstMappedLead && lead <= kLastMappedLead)
    if (const char ascii = replacements[lead - kFirstMappedLead][static_cast<unsigned char>(trailByte)])
      return {2, 1, {ascii, 0}};
  return {2, 2, {leadByte, trailByte}};
}

class CodePage932Reader {
 public:
  explicit CodePage932Reader(const ReplacementTable& replacements) noexcept : replacements_(replacements) {}

  // A byte that is its own character and stays as it is.
  static bool IsPlain(char b) noexcept { return KindOf(b) == ByteKind::kKept; }

  Character Read(const char* p) const noexcept {
    if (KindOf(p[0]) != ByteKind::kLead) return SingleByte(p[0]);
    if (p[1] == '\0') return {1, 1, {p[0], 0}};  // a lead byte cut off by the end stays
    return DoubleByte(replacements_, p[0], p[1]);
  }

 private:
  const ReplacementTable& replacements_;
};

// Stands for every character whose code page 932 form does not matter, and
// for every invalid byte: a word byte, no lead byte, in no keyword.
constexpr char kOtherCharacter = '\xFF';

class Utf8Reader {
 public:
  explicit Utf8Reader(const ReplacementTable& replacements) noexcept : replacements_(replacements) {}

  static bool IsPlain(char b) noexcept {
    const auto u = static_cast<unsigned char>(b);
    return u < 0x80 && KindOf(b) == ByteKind::kKept;
  }

  // An invalid byte is a character of its own, so a valid character right
  // after it is read as itself.
  Character Read(const char* p) const noexcept {
    if (static_cast<unsigned char>(p[0]) < 0x80) return SingleByte(p[0]);
    const Utf8Character c = DecodeUtf8(p);
    if (c.length == 0) return {1, 1, {kOtherCharacter, 0}};
    const std::uint16_t form = CodePage932FormOf(c.codePoint);
    if (form == 0) return {c.length, 1, {kOtherCharacter, 0}};
    Character mapped = DoubleByte(replacements_, static_cast<char>(LeadOf(form)), static_cast<char>(TrailOf(form)));
    mapped.read = c.length;
    return mapped;
  }

 private:
  const ReplacementTable& replacements_;
};

// One pass with a read and a write position: no character grows, so the
// write position never passes the read position. This leaves the same
// text as moving the rest of the text left after every mapping, without the
// quadratic cost.
template <class Reader>
void Rewrite(char* text, std::size_t from, const Reader& reader) noexcept {
  std::size_t read = from;
  // Most texts are plain ASCII: up to the first byte that needs work,
  // nothing moves and nothing is written.
  while (Reader::IsPlain(text[read])) ++read;
  std::size_t write = read;
  while (text[read] != '\0') {
    if (Reader::IsPlain(text[read])) {
      text[write++] = text[read++];
      continue;
    }
    const Character c = reader.Read(text + read);
    text[write++] = c.bytes[0];
    if (c.written == 2) text[write++] = c.bytes[1];
    read += c.read;
  }
  // The bytes freed behind the shortened text up to the old terminator
  // become NULs, as moving the terminator left would leave them.
  std::memset(text + write, 0, read - write);
}

// Replays the rewrite over the caller's text, counting instead of writing.
template <class Reader>
ByteSpan MapBack(const char* text, Place place, const Reader& reader) noexcept {
  constexpr std::size_t kNotYet = static_cast<std::size_t>(-1);
  std::size_t start = kNotYet;
  std::size_t working = 0;
  std::size_t at = 0;
  while (text[at] != '\0') {
    const Character c = reader.Read(text + at);
    const std::size_t next = working + c.written;
    if (start == kNotYet && place.start < next) {
      start = at;
      if (place.end <= place.start) return {start, 0};
    }
    if (start != kNotYet && place.end <= next) return {start, at + c.read - start};
    working = next;
    at += c.read;
  }
  if (start == kNotYet) return {at, 0};
  return {start, at - start};
}

const ReplacementTable& ReplacementsFor(TextOptions options) noexcept {
  return options.lookalikes ? kReplacementsWithLookalikes : kReplacements;
}

}  // namespace

void NormalizeFrom(char* text, std::size_t from, TextOptions options) noexcept {
  if (options.utf8)
    Rewrite(text, from, Utf8Reader(ReplacementsFor(options)));
  else
    Rewrite(text, from, CodePage932Reader(ReplacementsFor(options)));
}

ByteSpan CallerBytesOf(const char* callerText, Place place, TextOptions options) noexcept {
  if (options.utf8) return MapBack(callerText, place, Utf8Reader(ReplacementsFor(options)));
  return MapBack(callerText, place, CodePage932Reader(ReplacementsFor(options)));
}

}  // namespace evaluator
