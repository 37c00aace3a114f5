// evalo and evalos on arbitrary bytes, under a format text of one of four
// kinds drawn from the input:
//
//   byte 0      kind: 0 numeric ("N" or "N.M"), 1 pattern, 2 blank, 3 raw
//   bytes 1..7  what the kind is made of (the raw kind takes them as they are)
//   bytes 8..   the expression (up to its first NUL)
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>

#include "fuzz/checks.h"

namespace {

constexpr std::size_t kHeaderSize = 8;

std::string NumericFormat(const std::uint8_t* p) {
  std::string text;
  if (p[0] & 0x80) text += p[0] & 0x40 ? '-' : '+';
  text += std::to_string(p[1] % 20);
  if (p[0] & 0x01) text += "." + std::to_string(p[2] % 20);
  if (p[0] & 0x02) text += ',';  // thousands commas pass the number test
  return text.substr(0, 7);
}

std::string PatternFormat(const std::uint8_t* p) {
  static constexpr char kFlags[][3] = {"", "-", "0", "+", " ", "-0", "0:", "1:", "*", "#"};
  static constexpr char kConversions[] = "bdfeEgGxXumMnNsqBDUF%[";
  std::string text = "%";
  text += kFlags[p[0] % std::size(kFlags)];
  if (p[1] & 0x80) text += std::to_string(p[1] % 25);
  if (p[2] & 0x80) text += "." + std::to_string(p[2] % 25);
  text += kConversions[p[3] % (sizeof kConversions - 1)];
  if (p[4] & 0x80) text = static_cast<char>(p[5] % 95 + 32) + text;  // text before the field
  return text.substr(0, 7);
}

std::string BlankFormat(const std::uint8_t* p) {
  std::string text;
  for (int i = 0; i < p[0] % 8; ++i) text += static_cast<char>(p[1 + i % 6] % 0x20 + 1);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::uint8_t header[kHeaderSize] = {};
  for (std::size_t i = 0; i < kHeaderSize && i < size; ++i) header[i] = data[i];
  std::string formatText;
  switch (header[0] & 3) {
    case 0: formatText = NumericFormat(header + 1); break;
    case 1: formatText = PatternFormat(header + 1); break;
    case 2: formatText = BlankFormat(header + 1); break;
    default: formatText.assign(reinterpret_cast<const char*>(header + 1), 7); break;
  }
  formatText = formatText.c_str();  // up to its first NUL, as format sees it
  const std::string expression =
      size > kHeaderSize ? std::string(reinterpret_cast<const char*>(data + kHeaderSize), size - kHeaderSize)
                         : std::string();
  format(formatText.c_str());
  fuzz::CheckExpression(expression.c_str(), formatText.c_str());
  return 0;
}
