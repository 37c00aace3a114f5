// Evaluates a table of cases with the native library, for the JavaScript
// tests to compare against. Each input line is
//   <options: "-" or "L" for look-alikes> TAB <format> TAB <expression>
// and each output line
//   <16 hex digits of the value's bits> TAB <code> TAB <error offset> TAB
//   <error length> TAB <code of the text call> TAB <result text>
// with the error place in UTF-16 code units, as JavaScript counts them.
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include "evalo.h"

namespace {

// UTF-16 code units of the first `bytes` bytes of a valid UTF-8 text: one per
// character, two for the four-byte ones.
long Utf16Units(const std::string& text, long bytes) {
  long units = 0;
  for (long i = 0; i < bytes && i < static_cast<long>(text.size()); ++i) {
    const auto byte = static_cast<unsigned char>(text[static_cast<std::size_t>(i)]);
    if ((byte & 0xC0) != 0x80) units += byte >= 0xF0 ? 2 : 1;
  }
  return units;
}

struct Contexts {
  evalo_context* plain = evalo_create_with(EVALO_UTF8);
  evalo_context* lookalikes = evalo_create_with(EVALO_UTF8 | EVALO_LOOKALIKES);
  ~Contexts() {
    evalo_destroy(plain);
    evalo_destroy(lookalikes);
  }
};

}  // namespace

int main() {
  Contexts contexts;
  if (!contexts.plain || !contexts.lookalikes) return 1;
  std::string line;
  while (std::getline(std::cin, line)) {
    const auto firstTab = line.find('\t');
    const auto secondTab = line.find('\t', firstTab + 1);
    if (firstTab == std::string::npos || secondTab == std::string::npos) {
      std::fprintf(stderr, "reference: malformed case line: %s\n", line.c_str());
      return 1;
    }
    evalo_context* ctx = line.compare(0, firstTab, "L") == 0 ? contexts.lookalikes : contexts.plain;
    const std::string format = line.substr(firstTab + 1, secondTab - firstTab - 1);
    const std::string expression = line.substr(secondTab + 1);
    evalo_set_format(ctx, format.c_str());

    const double value = evalo_evaluate(ctx, expression.c_str());
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const int code = evalo_error(ctx);
    const long offset = evalo_error_offset(ctx);
    const long length = evalo_error_length(ctx);
    const long unitOffset = offset < 0 ? -1 : Utf16Units(expression, offset);
    const long unitLength = offset < 0 ? 0 : Utf16Units(expression, offset + length) - unitOffset;

    const std::string text = evalo_evaluate_text(ctx, expression.c_str());
    std::printf("%016" PRIx64 "\t%d\t%ld\t%ld\t%d\t%s\n", bits, code, unitOffset, unitLength,
                evalo_error(ctx), text.c_str());
  }
  return 0;
}
