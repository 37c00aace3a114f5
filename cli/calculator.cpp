#include "cli/calculator.h"

#include "cli/explain.h"

#include <charconv>
#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <version>

#if !defined(__cpp_lib_to_chars) || __cpp_lib_to_chars < 201611L
#define FMT_HEADER_ONLY
#include <fmt/format.h>
#endif

namespace cli {
namespace {

constexpr std::string_view ErrorText(ToolError error) {
  switch (error) {
    case ToolError::kEncoding:
      return "Err.Encoding";
    case ToolError::kMemory:
      return "Err.Memory";
  }
  return "Err.";
}

// Writes the value so that reading it back gives the same double. Both
// ways give the correctly rounded digits, whatever the locale; fmt serves
// standard libraries without floating-point to_chars (emscripten's).
std::string ValueText(double value) {
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                     std::chars_format::general, 17);
  return std::string(buffer, written.ptr);
#else
  return fmt::format("{:.17g}", value);
#endif
}

std::string BitsText(double value) {
  std::uint64_t bits;
  static_assert(sizeof bits == sizeof value);
  std::memcpy(&bits, &value, sizeof bits);
  char buffer[17];
  std::snprintf(buffer, sizeof buffer, "%016" PRIx64, bits);
  return buffer;
}

// Flushed at once: a pipe's reader gets each answer as its line is read.
bool WriteLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  return std::fflush(stdout) == 0;
}

unsigned ContextOptions(LibraryEncoding encoding, bool lookalikes) {
  return (encoding == LibraryEncoding::kUtf8 ? EVALO_UTF8 : 0u) |
         (lookalikes ? EVALO_LOOKALIKES : 0u);
}

}  // namespace

Calculator::Calculator(const Transcoder& transcoder, CalculatorSettings settings)
    : transcoder_(transcoder),
      settings_(settings),
      context_(evalo_create_with(
                   ContextOptions(transcoder.library_encoding(), settings.lookalikes)),
               evalo_destroy) {}

void Calculator::SetFormat(const char* library_text) {
  evalo_set_format(context_.get(), library_text);
}

bool Calculator::Answer(std::string_view input, InputPlace place) {
  try {
    return AnswerOrThrow(input, place);
  } catch (const std::bad_alloc&) {
    std::string().swap(converted_);  // give back what a long line took
    return AnswerUnevaluated(place, ToolError::kMemory, "not enough memory to evaluate it");
  }
}

bool Calculator::AnswerOrThrow(std::string_view input, InputPlace place) {
  std::string problem;
  std::optional<std::string_view> expression;
  if (input.find('\0') != std::string_view::npos) {
    problem = "contains a NUL byte";
  } else {
    expression = transcoder_.ToLibrary(input, &converted_, &problem);
  }
  if (!expression) return AnswerUnevaluated(place, ToolError::kEncoding, problem);

  const Outcome outcome = Evaluate(expression->data());
  if (outcome.code != EVALO_OK) {
    any_failed_ = true;
    if (settings_.explain) Explain(input, *expression);
  }
  const std::optional<std::string> shown = transcoder_.FromLibrary(outcome.text);
  if (!shown) {
    return AnswerUnevaluated(place, ToolError::kEncoding,
                             "the answer cannot be written in " + transcoder_.charset());
  }
  return WriteLine(AnswerLine(outcome, *shown));
}

Calculator::Outcome Calculator::Evaluate(const char* expression) {
  evalo_context* context = context_.get();
  Outcome outcome{0.0, EVALO_OK, {}};
  if (settings_.output != OutputMode::kResultText) {
    outcome.value = evalo_evaluate(context, expression);
  }
  if (settings_.output == OutputMode::kValue) {
    outcome.code = evalo_error(context);
    outcome.text = outcome.code == EVALO_OK ? ValueText(outcome.value)
                                            : std::string(evalo_error_text(context));
    return outcome;
  }
  // The text comes from an evaluation of its own: a pattern may fail where
  // the value did not, and that code is the one reported.
  outcome.text = evalo_evaluate_text(context, expression);
  outcome.code = evalo_error(context);
  return outcome;
}

// The input as given and the carets under the token at fault, placed by
// the columns of the text the library read (the same characters).
void Calculator::Explain(std::string_view input, std::string_view expression) const {
  const long offset = evalo_error_offset(context_.get());
  if (offset < 0) return;  // an error with no place, such as a pattern's
  const long length = evalo_error_length(context_.get());
  const std::string carets = CaretLine(expression, transcoder_.library_encoding(),
                                       static_cast<std::size_t>(offset),
                                       static_cast<std::size_t>(length));
  std::fwrite(input.data(), 1, input.size(), stderr);
  std::fputc('\n', stderr);
  std::fwrite(carets.data(), 1, carets.size(), stderr);
  std::fputc('\n', stderr);
}

std::string Calculator::AnswerLine(const Outcome& outcome, std::string_view shown_text) const {
  if (settings_.output != OutputMode::kBits) return std::string(shown_text);
  std::string line = BitsText(outcome.value);
  line += ' ';
  line += std::to_string(outcome.code);
  line += ' ';
  line += shown_text;
  return line;
}

bool Calculator::AnswerUnevaluated(InputPlace place, ToolError error,
                                   std::string_view problem) {
  any_failed_ = true;
  std::fprintf(stderr, "evalo: %.*s %zu: %.*s\n", static_cast<int>(place.kind.size()),
               place.kind.data(), place.number, static_cast<int>(problem.size()),
               problem.data());
  // With --bits, the fields only the library fills are dashes: this answer
  // is the tool's own.
  if (settings_.output == OutputMode::kBits) {
    std::fputs("- - ", stdout);
  }
  return WriteLine(ErrorText(error));
}

}  // namespace cli
