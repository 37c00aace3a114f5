#pragma once

#include <cstddef>
#include <cstdint>

#include "evaluator/outcome.h"

namespace interface {

inline constexpr std::size_t kOutputTextSize = 52;   // 51 bytes of text and a NUL
inline constexpr std::size_t kFormatTextLength = 7;  // the byte after them stays NUL

// One set of codes for the evaluator and the interface, which adds Format.
namespace error_code = evaluator::error_code;

// How a call state reads and writes texts (the values of EVALO_UTF8 and
// EVALO_LOOKALIKES).
namespace option {
inline constexpr unsigned kUtf8 = 1;
inline constexpr unsigned kLookalikes = 2;
inline constexpr unsigned kAll = kUtf8 | kLookalikes;
}  // namespace option

// Everything that outlives one call. The exports work on one process-wide
// instance with no options; contexts are instances of the host's own.
struct CallState {
  std::int32_t ErrorCode = error_code::kNone;
  char OutputText[kOutputTextSize] = {};
  char FormatText[kFormatTextLength + 1] = {};
  // Whether FormatText is a printf-like pattern rather than a number (or
  // empty); decided when the format is stored, not at every evaluation.
  bool PatternFormat = false;
  unsigned Options = 0;
  // The last error's token in the caller's text, in bytes; -1 and 0 when
  // the last evaluation succeeded or its error has no place. Only contexts
  // report it: the process-wide state skips the work.
  bool ReportsErrorPlace = false;
  long ErrorOffset = -1;
  long ErrorLength = 0;
};

}  // namespace interface
