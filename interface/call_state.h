#pragma once

#include <cstddef>
#include <cstdint>

namespace interface {

inline constexpr std::size_t kOutputTextSize = 52;   // 51 bytes of text and a NUL
inline constexpr std::size_t kFormatTextLength = 7;  // the byte after them stays NUL

// The error codes an evaluation leaves behind.
namespace error_code {
inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kSyntax = 1;
inline constexpr std::int32_t kBracket = 2;
inline constexpr std::int32_t kStack = 3;
inline constexpr std::int32_t kMemory = 4;
inline constexpr std::int32_t kFormat = 5;
inline constexpr std::int32_t kMath = -1;
}  // namespace error_code

// Everything that outlives one call. The exports work on one process-wide
// instance; the evaluator and the presentation receive it by reference.
struct CallState {
  std::int32_t ErrorCode = error_code::kNone;
  char OutputText[kOutputTextSize] = {};
  char FormatText[kFormatTextLength + 1] = {};
};

}  // namespace interface
