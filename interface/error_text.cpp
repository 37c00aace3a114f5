#include "interface/error_text.h"

#include <cstring>
#include <string_view>

namespace interface {

namespace {

struct ErrorText {
  std::int32_t code;
  std::string_view text;
};

// "Err." and the name of each code; 0 and unknown codes are handled below.
constexpr ErrorText kErrorTexts[] = {
    {error_code::kSyntax, "Err.Syntax"}, {error_code::kBracket, "Err.Bracket"},
    {error_code::kStack, "Err.Stack"},   {error_code::kMemory, "Err.Memory"},
    {error_code::kFormat, "Err.Format"}, {error_code::kMath, "Err.Math"},
};

constexpr std::string_view TextOf(std::int32_t code) noexcept {
  if (code == error_code::kNone) return "";
  for (const ErrorText& entry : kErrorTexts)
    if (entry.code == code) return entry.text;
  return "Err.";  // a code outside the table has no name
}

static_assert(std::size(kErrorTexts) == 6);

}  // namespace

void SetErrorText(CallState& state) noexcept {
  const std::string_view text = TextOf(state.ErrorCode);
  static_assert(sizeof("Err.Bracket") <= kOutputTextSize);
  std::memcpy(state.OutputText, text.data(), text.size());
  state.OutputText[text.size()] = '\0';
}

}  // namespace interface
