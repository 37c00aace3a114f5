#include "interface/error_text.h"

#include <cstring>
#include <iterator>

namespace interface {

namespace {

// Every text padded to one size, so that writing one is a single fixed copy.
struct ErrorText {
  char bytes[sizeof "Err.Bracket"];
};
static_assert(sizeof(ErrorText) <= kOutputTextSize);

constexpr std::int32_t kLowestCode = error_code::kMath;

// "Err." and the name of each code from Math (-1) to Format (5); "" for 0.
constexpr ErrorText kErrorTexts[] = {
    {"Err.Math"}, {""}, {"Err.Syntax"}, {"Err.Bracket"}, {"Err.Stack"}, {"Err.Memory"}, {"Err.Format"},
};
static_assert(error_code::kMath == -1 && error_code::kNone == 0 && error_code::kSyntax == 1 &&
              error_code::kBracket == 2 && error_code::kStack == 3 && error_code::kMemory == 4 &&
              error_code::kFormat == 5);

constexpr ErrorText kUnnamed = {"Err."};  // a code outside the table has no name

const ErrorText& TextOf(std::int32_t code) noexcept {
  const auto index = static_cast<std::uint32_t>(code - kLowestCode);
  return index < std::size(kErrorTexts) ? kErrorTexts[index] : kUnnamed;
}

}  // namespace

void SetErrorText(CallState& state) noexcept {
  std::memcpy(state.OutputText, TextOf(state.ErrorCode).bytes, sizeof(ErrorText));
}

}  // namespace interface
