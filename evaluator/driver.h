#pragma once

#include "evaluator/outcome.h"

namespace evaluator {

// Evaluates a normalized expression text, already cut at its first "=":
// the value reached, the error code, and for an error the place in the text
// of the token where it arose.
Outcome EvaluateExpression(const char* text) noexcept;

// The code of EvaluateCallerText for a text that is not its own working text.
inline constexpr std::int32_t kNeedsWorkingCopy = 0x7fff;

// The same on the caller's text as it lies, read and never written, for the
// usual text that normalizing would leave as it is: printable ASCII with no
// "=", under 512 bytes. Scanning stops with kNeedsWorkingCopy at a word byte
// outside printable ASCII, at an "=", or once past the 512th byte of a longer text. An
// error raised before the scan reaches such a byte is returned as it is: it
// is the text's own only if the whole text is such a usual text.
Outcome EvaluateCallerText(const char* text) noexcept;

}  // namespace evaluator
