// A UTF-8 context against a code page 932 context on the same text: for
// every text that converts to code page 932 (by glibc's iconv), the value
// bits, the code and the text (converted) must be the same, and the error
// place must start at the same character.
//
//   byte 0   bits 0-2: the format text (below); bit 3: look-alikes on
//   bytes 1..  the text (up to its first NUL): taken as UTF-8 when it is
//            valid and converts, else as code page 932 converted to UTF-8.
//            The raw bytes also go to a UTF-8 context as they are, valid or
//            not, for the checks that hold for any text.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>

#include "fuzz/checks.h"
#include "fuzz/encoding.h"

namespace {

// UTF-8; the code page 932 context gets the converted form.
constexpr const char* kFormats[] = {"", "5.2", "%8.3f", "%x", "\xEF\xBF\xA5%d" /* ￥%d */, "%m", "3", "%.2e"};

struct Seen {
  std::uint64_t valueBits;
  int code;
  std::string text;
  long offset;
};

Seen EvaluateIn(evalo_context* ctx, const std::string& expression, const char* formatText) {
  const double value = evalo_evaluate(ctx, expression.c_str());
  Seen seen{std::bit_cast<std::uint64_t>(value), evalo_error(ctx), {}, evalo_error_offset(ctx)};
  fuzz::CheckPlace(ctx, expression, formatText);
  seen.text = evalo_evaluate_text(ctx, expression.c_str());
  return seen;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const char* formatText = kFormats[data[0] % std::size(kFormats)];
  const unsigned lookalikes = (data[0] & 0x08) != 0 ? EVALO_LOOKALIKES : 0u;
  std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
  input = input.c_str();  // up to its first NUL, as the library reads it

  if (evalo_context* raw = evalo_create_with(EVALO_UTF8 | lookalikes)) {
    evalo_set_format(raw, formatText);
    EvaluateIn(raw, input, formatText);
    evalo_destroy(raw);
  }

  std::string utf8 = input;
  std::optional<std::string> narrow = fuzz::ToCodePage932(input);
  if (!narrow) {
    const std::optional<std::string> converted = fuzz::ToUtf8(input);
    if (!converted) return 0;
    utf8 = *converted;
    narrow = fuzz::ToCodePage932(utf8);  // duplicates come back as their usual form
    if (!narrow) return 0;
  }
  const std::optional<std::string> narrowFormat = fuzz::ToCodePage932(formatText);

  evalo_context* inUtf8 = evalo_create_with(EVALO_UTF8 | lookalikes);
  evalo_context* inCp932 = evalo_create_with(lookalikes);
  if (inUtf8 == nullptr || inCp932 == nullptr || !narrowFormat) fuzz::Finding("set-up failed", utf8, formatText);
  evalo_set_format(inUtf8, formatText);
  evalo_set_format(inCp932, narrowFormat->c_str());
  const Seen seen = EvaluateIn(inUtf8, utf8, formatText);
  const Seen expected = EvaluateIn(inCp932, *narrow, formatText);
  evalo_destroy(inUtf8);
  evalo_destroy(inCp932);

  if (seen.valueBits != expected.valueBits) fuzz::Finding("UTF-8 gives another value", utf8, formatText);
  if (seen.code != expected.code) fuzz::Finding("UTF-8 gives another code", utf8, formatText);
  if (std::optional<std::string> text = fuzz::ToUtf8(expected.text); !text || *text != seen.text)
    fuzz::Finding("UTF-8 gives another text", utf8, formatText);
  if ((seen.offset < 0) != (expected.offset < 0)) fuzz::Finding("only one encoding has an error place", utf8, formatText);
  if (seen.offset >= 0 &&
      fuzz::CharacterIndexAt(utf8, static_cast<std::size_t>(seen.offset), true) !=
          fuzz::CharacterIndexAt(*narrow, static_cast<std::size_t>(expected.offset), false))
    fuzz::Finding("the error place starts at another character", utf8, formatText);
  return 0;
}
