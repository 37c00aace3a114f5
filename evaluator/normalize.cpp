#include "evaluator/normalize.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

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
// deliberately absent: they must stay and be reported as syntax errors.
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

constexpr unsigned char kFirstMappedLead = 0x81;
constexpr unsigned char kLastMappedLead = 0x82;

// ASCII replacement of each mapped double-byte character, indexed by
// (lead - kFirstMappedLead, trail); 0 where the character stays. Built from
// the two tables above so the walk costs one load per double-byte character.
using ReplacementTable = std::array<std::array<char, 256>, kLastMappedLead - kFirstMappedLead + 1>;

constexpr ReplacementTable BuildReplacementTable() {
  ReplacementTable table{};
  for (const FullWidthSign& sign : kFullWidthSigns)
    table[LeadOf(sign.code) - kFirstMappedLead][TrailOf(sign.code)] = sign.ascii;
  for (const FullWidthRange& range : kFullWidthRanges)
    for (std::uint16_t code = range.first; code <= range.last; ++code)
      table[LeadOf(code) - kFirstMappedLead][TrailOf(code)] = static_cast<char>(range.firstAscii + (code - range.first));
  return table;
}

constexpr ReplacementTable kReplacements = BuildReplacementTable();

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

// The ASCII byte a double-byte character becomes, or 0 when it stays.
char ReplacementOf(char leadByte, char trailByte) noexcept {
  const auto lead = static_cast<unsigned char>(leadByte);
  if (lead < kFirstMappedLead || lead > kLastMappedLead) return 0;
  return kReplacements[lead - kFirstMappedLead][static_cast<unsigned char>(trailByte)];
}

}  // namespace

// One pass with a read and a write position: each mapped character drops a
// byte, so the write position trails the read position by the number of
// characters mapped so far. This leaves the same text as moving the rest of
// the text left after every mapping, without the quadratic cost.
void ToHalfWidth(char* text) noexcept {
  std::size_t read = 0;
  // Most texts are plain ASCII: up to the first byte that needs work,
  // nothing moves and nothing is written.
  while (KindOf(text[read]) == ByteKind::kKept) ++read;
  std::size_t write = read;
  for (ByteKind kind; (kind = KindOf(text[read])) != ByteKind::kEnd;) {
    if (kind == ByteKind::kKept) {
      text[write++] = text[read++];
      continue;
    }
    if (kind == ByteKind::kControlBlank) {
      text[write++] = ' ';
      ++read;
      continue;
    }
    const char lead = text[read];
    const char trail = text[read + 1];
    if (trail == '\0') {  // a lead byte cut off by the end stays, and ends the walk
      text[write++] = lead;
      ++read;
      break;
    }
    if (const char ascii = ReplacementOf(lead, trail)) {
      text[write++] = ascii;
    } else {  // the trail byte is taken as is, even a tab or a line feed
      text[write++] = lead;
      text[write++] = trail;
    }
    read += 2;
  }
  // The bytes freed behind the shortened text up to the old terminator
  // become NULs, as moving the terminator left would leave them.
  std::memset(text + write, 0, read - write);
}

}  // namespace evaluator
