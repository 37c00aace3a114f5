#include "interface/call.h"

#include <cstring>

#include "evaluator/driver.h"
#include "evaluator/normalize.h"
#include "evaluator/number_text.h"
#include "interface/error_text.h"
#include "interface/fp_scope.h"
#include "interface/result_text.h"
#include "interface/tastring.h"
#include "interface/version.h"
#include "presentation/pattern.h"
#include "presentation/round.h"

namespace interface {

void ClearErrorPlace(CallState& state) noexcept {
  state.ErrorOffset = -1;
  state.ErrorLength = 0;
}

namespace {

// Expressions shorter than this are copied to the C stack; longer ones to a
// TAstring on the heap.
constexpr std::size_t kInlineCopySize = 512;

evaluator::TextOptions TextOptionsOf(unsigned options) noexcept {
  return {(options & option::kUtf8) != 0, (options & option::kLookalikes) != 0};
}

// Records a failed evaluation: its code, its text and its place in the
// caller's text. Out of the way of successes, which need none of it.
// The first verbatim bytes of the expression are printable ASCII.
[[gnu::cold, gnu::noinline]] void RecordError(CallState& state, const char* expression, std::size_t verbatim,
                                             const evaluator::Outcome& outcome) noexcept {
  state.ErrorCode = outcome.code;
  SetErrorText(state);
  if (outcome.code == error_code::kMemory || !state.ReportsErrorPlace) {
    ClearErrorPlace(state);
    return;
  }
  const evaluator::ByteSpan span =
      expression[verbatim] == '\0' ? evaluator::VerbatimBytesOf(outcome.place, verbatim)
                                   : evaluator::CallerBytesOf(expression, outcome.place, TextOptionsOf(state.Options));
  state.ErrorOffset = static_cast<long>(span.offset);
  state.ErrorLength = static_cast<long>(span.length);
}

void Settle(CallState& state, const char* expression, std::size_t verbatim,
            const evaluator::Outcome& outcome) noexcept {
  if (outcome.code != error_code::kNone) {
    RecordError(state, expression, verbatim, outcome);
    return;
  }
  state.ErrorCode = error_code::kNone;
  state.OutputText[0] = '\0';  // the error text of success
  ClearErrorPlace(state);
}

double Finish(CallState& state, const char* expression, std::size_t verbatim,
              const evaluator::Outcome& outcome) noexcept {
  Settle(state, expression, verbatim, outcome);
  double value = outcome.value;
  // An empty format rounds nothing: no need to call for it.
  if (state.ErrorCode == error_code::kNone && !state.PatternFormat && state.FormatText[0] != '\0')
    value = presentation::RoundByFormat(state.FormatText, value);
  return value;
}

// The caller's text is never written: this works on the working copy, whose
// bytes before verbatim need no mapping.
double EvaluateWorkingCopy(CallState& state, const char* expression, char* text, std::size_t verbatim) noexcept {
  evaluator::Normalize(text, TextOptionsOf(state.Options), verbatim);
  if (char* equals = std::strchr(text + verbatim, '=')) *equals = '\0';
  return Finish(state, expression, verbatim, evaluator::EvaluateExpression(text));
}

// The leading bytes that are their own working text: printable ASCII,
// which normalizing keeps as it is, other than "=", where the text is cut.
std::size_t VerbatimLength(const char* text) noexcept {
  std::size_t i = 0;
  while (evaluator::IsPrintableAscii(text[i]) && text[i] != '=') ++i;
  return i;
}

// Texts with bytes to map or an "=" to cut at, and texts of 512 bytes or
// more, evaluate on a working copy; its first verbatim bytes need no look.
[[gnu::noinline]] double EvaluateCopy(CallState& state, const char* expression, std::size_t verbatim) noexcept {
  const std::size_t length = verbatim + std::strlen(expression + verbatim);
  if (length < kInlineCopySize) {
    char copy[kInlineCopySize];
    std::memcpy(copy, expression, length + 1);
    return EvaluateWorkingCopy(state, expression, copy, verbatim);
  }
  TAstring copy;
  copy.Assign(expression);
  if (copy.Failed()) {
    RecordError(state, expression, verbatim, {0, error_code::kMemory, {}});
    return 0;
  }
  return EvaluateWorkingCopy(state, expression, copy.Text(), verbatim);
}

// The caller's text read in place did not evaluate: either it needs a
// working copy, or it failed before the scan could tell. The failure stands
// only if the text is its own working text; otherwise the copy decides,
// evaluated from the start as if the text had never been read.
[[gnu::cold, gnu::noinline]] double SettleCallerText(CallState& state, const char* expression,
                                                   const evaluator::Outcome& outcome) noexcept {
  const std::size_t verbatim = VerbatimLength(expression);
  if (expression[verbatim] != '\0' || verbatim >= kInlineCopySize) return EvaluateCopy(state, expression, verbatim);
  return Finish(state, expression, verbatim, outcome);
}

double Evaluate(CallState& state, const char* expression) noexcept {
  if (expression == nullptr) expression = "";
  // Most texts are short printable ASCII with no "=": they are their own
  // working text, so the evaluator reads the caller's bytes (it never writes
  // them) and there is nothing to copy. The scan itself tells whether the
  // text is such a text, without a pass of its own.
  const evaluator::Outcome outcome = evaluator::EvaluateCallerText(expression);
  if (outcome.code != error_code::kNone) [[unlikely]]
    return SettleCallerText(state, expression, outcome);
  return Finish(state, expression, 0, outcome);
}

bool IsBlankOrControl(char byte) noexcept {
  const auto b = static_cast<unsigned char>(byte);
  return b >= 0x01 && b <= 0x20;
}

}  // namespace

bool IsNumericFormatText(const char* formatText) noexcept {
  const char* p = formatText;
  while (IsBlankOrControl(*p)) ++p;
  if (*p == '\0') return true;  // empty or blank
  return evaluator::IsNumberText(formatText);
}

double EvaluateToValue(CallState& state, const char* expression) noexcept {
  FloatingPointScope scope;
  double value = Evaluate(state, expression);
  SettleBeforeRestore(value);
  return value;
}

const char* EvaluateToText(CallState& state, const char* expression) noexcept {
  FloatingPointScope scope;
  double value = Evaluate(state, expression);
  if (state.ErrorCode != error_code::kNone) return state.OutputText;
  if (!state.PatternFormat) {
    WriteResultText(state.OutputText, value);
  } else if (!presentation::FormatByPattern(
                 state.OutputText, state.FormatText, value,
                 presentation::LoadedLocaleSettings(TextOptionsOf(state.Options).utf8))) {
    state.ErrorCode = error_code::kFormat;  // the pattern's fault: no place in the expression
    SetErrorText(state);
  }
  SettleBeforeRestore(value);
  return state.OutputText;
}

const char* ReadErrorText(CallState& state) noexcept {
  if (state.ErrorCode == error_code::kNone) state.OutputText[0] = '\0';
  return state.OutputText;
}

const char* StoreFormatText(CallState& state, const char* text) noexcept {
  if (text == nullptr) text = "";
  std::size_t i = 0;
  for (; i < kFormatTextLength && text[i] != '\0'; ++i) state.FormatText[i] = text[i];
  for (; i < kFormatTextLength; ++i) state.FormatText[i] = '\0';
  state.PatternFormat = !IsNumericFormatText(state.FormatText);
  return state.FormatText;
}

const char* WriteVersionText(CallState& state) noexcept {
  static_assert(sizeof kVersionText <= kOutputTextSize);
  std::memcpy(state.OutputText, kVersionText, sizeof kVersionText);
  return state.OutputText;
}

}  // namespace interface
