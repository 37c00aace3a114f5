#include "cli/calculator.h"

#include <charconv>
#include <cstdio>
#include <optional>

#include "evalo.h"

namespace cli {
namespace {

// Printed in place of an answer when an input or an answer cannot be
// converted, so the output lines stay in step with the input lines.
constexpr std::string_view kEncodingErrorText = "Err.Encoding";

// Writes the value so that reading it back gives the same double.
std::string ValueText(double value) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                     std::chars_format::general, 17);
  return std::string(buffer, written.ptr);
}

// Flushed at once: a pipe's reader gets each answer as its line is read.
bool WriteLine(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fputc('\n', stdout);
  return std::fflush(stdout) == 0;
}

}  // namespace

bool Calculator::Answer(std::string_view input, InputPlace place) {
  std::string problem;
  std::optional<std::string> expression;
  if (input.find('\0') != std::string_view::npos) {
    problem = "contains a NUL byte";
  } else {
    expression = transcoder_.ToLibrary(input, &problem);
  }
  if (!expression) return ReportEncodingFault(place, problem);

  std::string answer;
  if (print_value_) {
    const double value = evalo(expression->c_str());
    answer = error() == EVALO_OK ? ValueText(value) : std::string(errors());
  } else {
    answer = evalos(expression->c_str());
  }
  if (error() != EVALO_OK) any_failed_ = true;

  std::optional<std::string> shown = transcoder_.FromLibrary(answer);
  if (!shown) {
    return ReportEncodingFault(place, "the answer cannot be written in " + transcoder_.charset());
  }
  return WriteLine(*shown);
}

bool Calculator::ReportEncodingFault(InputPlace place, const std::string& problem) {
  any_failed_ = true;
  std::fprintf(stderr, "evalo: %.*s %zu: %s\n", static_cast<int>(place.kind.size()),
               place.kind.data(), place.number, problem.c_str());
  return WriteLine(kEncodingErrorText);
}

}  // namespace cli
