// Evaluates lines of "<format text> TAB <expression>" (raw bytes) and writes,
// for each, "<16 hex digits of the value's bits> <error code> <error offset>
// <error length> <text>", the text being what the library writes for that
// expression under that format: the result text, the pattern's text or the
// error text; the place is that of the value's evaluation. Outputs of two
// platforms must then match byte for byte.
//
//     evalo_bits_driver < cases.txt > bits.txt
#include <bit>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <string>

#include "evalo.h"

int main() {
  evalo_context* ctx = evalo_create();
  if (ctx == nullptr) return 2;
  std::string line;
  std::string out;
  std::size_t lineNumber = 0;
  while (std::getline(std::cin, line)) {
    ++lineNumber;
    const std::size_t tab = line.find('\t');
    if (tab == std::string::npos) {
      std::fprintf(stderr, "line %zu: no tab between format text and expression\n", lineNumber);
      return 2;
    }
    line[tab] = '\0';
    const char* expression = line.c_str() + tab + 1;
    evalo_set_format(ctx, line.c_str());
    const double value = evalo_evaluate(ctx, expression);
    const long offset = evalo_error_offset(ctx);
    const long length = evalo_error_length(ctx);
    const char* text = evalo_evaluate_text(ctx, expression);
    const int code = evalo_error(ctx);  // after the text: a pattern may refuse the value
    char head[80];
    std::snprintf(head, sizeof head, "%016llx %d %ld %ld ",
                  static_cast<unsigned long long>(std::bit_cast<std::uint64_t>(value)), code, offset, length);
    out += head;
    out += text;
    out += '\n';
    if (out.size() > (1 << 16)) {
      std::fwrite(out.data(), 1, out.size(), stdout);
      out.clear();
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  evalo_destroy(ctx);
  return std::fflush(stdout) == 0 ? 0 : 1;
}
