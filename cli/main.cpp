// evalo: a calculator for the terminal and for scripts.
//
//     evalo '(1+2)*SIN30' -f 5.2          ->  -2.96
//     printf '1+2\n2^10\n' | evalo        ->  3, 1024
//
// Each expression argument, or else each line of standard input, gets exactly
// one output line, so output line N always answers input N. The library reads
// code page 932 and UTF-8; the tool converts other character sets.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/calculator.h"
#include "cli/line_reader.h"
#include "cli/options.h"
#include "cli/transcoder.h"
#include "evalo.h"

namespace cli {
namespace {

constexpr std::string_view kToolVersion = "1.0.0";
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The library keeps this many bytes of a format text and drops the rest; a
// longer text would silently become a different format.
constexpr std::size_t kFormatCapacity = 7;

constexpr std::string_view kPrompt = "> ";

void PrintUsageError(const std::string& message) {
  std::fprintf(stderr, "evalo: %s\nTry 'evalo --help' for more information.\n",
               message.c_str());
}

int ReportWriteError() {
  std::fprintf(stderr, "evalo: cannot write the output: %s\n", std::strerror(errno));
  return kExitFailure;
}

int EvaluateArguments(Calculator& calculator, const std::vector<std::string_view>& expressions) {
  for (std::size_t i = 0; i < expressions.size(); ++i) {
    if (!calculator.Answer(expressions[i], {"argument", i + 1})) return ReportWriteError();
  }
  return calculator.any_failed() ? kExitFailure : kExitSuccess;
}

// Answers one line, or says why it could not be read. False when writing
// stdout failed.
bool AnswerLine(Calculator& calculator, const LineReader::Result& next, InputPlace place,
                std::size_t max_line_bytes) {
  switch (next.outcome) {
    case LineReader::Outcome::kLine:
      return calculator.Answer(next.line, place);
    case LineReader::Outcome::kTooLong: {
      char problem[96];
      std::snprintf(problem, sizeof problem, "longer than %zu bytes (see --max-line-bytes)",
                    max_line_bytes);
      return calculator.AnswerUnevaluated(place, ToolError::kMemory, problem);
    }
    case LineReader::Outcome::kOutOfMemory:
      return calculator.AnswerUnevaluated(place, ToolError::kMemory,
                                          "not enough memory to read it");
    case LineReader::Outcome::kEnd:
    case LineReader::Outcome::kReadError:
      break;
  }
  return true;
}

int EvaluateStandardInput(Calculator& calculator, std::size_t max_line_bytes) {
  const bool interactive = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
  LineReader reader(STDIN_FILENO, max_line_bytes);
  for (std::size_t number = 1;; ++number) {
    if (interactive) {
      std::fwrite(kPrompt.data(), 1, kPrompt.size(), stdout);
      std::fflush(stdout);
    }
    const LineReader::Result next = reader.Next();
    if (next.outcome == LineReader::Outcome::kEnd) break;
    if (next.outcome == LineReader::Outcome::kReadError) {
      std::fprintf(stderr, "evalo: cannot read standard input: %s\n",
                   std::strerror(reader.error()));
      return kExitFailure;
    }
    if (!AnswerLine(calculator, next, {"line", number}, max_line_bytes)) {
      return ReportWriteError();
    }
  }
  if (interactive) std::fputc('\n', stdout);  // end the prompt's line
  return calculator.any_failed() ? kExitFailure : kExitSuccess;
}

// Sets the library's format text, in its encoding like the expressions.
bool ApplyFormat(const Transcoder& transcoder, Calculator& calculator, const std::string& text) {
  std::string problem;
  std::string storage;
  const std::optional<std::string_view> converted =
      text.find('\0') == std::string::npos ? transcoder.ToLibrary(text, &storage, &problem)
                                           : std::nullopt;
  if (!converted) {
    PrintUsageError("format text: " + (problem.empty() ? "contains a NUL byte" : problem));
    return false;
  }
  if (converted->size() > kFormatCapacity) {
    PrintUsageError("format text '" + text + "' is longer than " +
                    std::to_string(kFormatCapacity) + " bytes");
    return false;
  }
  calculator.SetFormat(converted->data());
  return true;
}

int Run(int argc, char** argv) {
  // A filter ends quietly when its reader goes away, as head expects, even
  // when started with SIGPIPE ignored.
  std::signal(SIGPIPE, SIG_DFL);

  const ParsedArguments parsed = ParseArguments(argc, argv);
  if (!parsed.usage_error.empty()) {
    PrintUsageError(parsed.usage_error);
    return kExitUsage;
  }
  const Options& options = parsed.options;
  if (options.show_help) {
    std::fwrite(kHelpText.data(), 1, kHelpText.size(), stdout);
    return std::fflush(stdout) == 0 ? kExitSuccess : ReportWriteError();
  }
  if (options.show_version) {
    std::printf("evalo %.*s\nlibrary %s\n", static_cast<int>(kToolVersion.size()),
                kToolVersion.data(), version());
    return std::fflush(stdout) == 0 ? kExitSuccess : ReportWriteError();
  }

  const std::string charset = options.encoding ? *options.encoding : TerminalCharset();
  std::string problem;
  const std::optional<Transcoder> transcoder = Transcoder::Open(charset, &problem);
  if (!transcoder) {
    PrintUsageError(problem + (options.encoding ? "" : "; choose a character set with --encoding"));
    return kExitUsage;
  }
  const CalculatorSettings settings{
      options.output, options.explain.value_or(isatty(STDERR_FILENO) == 1), options.lookalikes};
  Calculator calculator(*transcoder, settings);
  if (options.format && !ApplyFormat(*transcoder, calculator, *options.format)) return kExitUsage;

  return options.expressions.empty()
             ? EvaluateStandardInput(calculator, options.max_line_bytes)
             : EvaluateArguments(calculator, options.expressions);
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) {
  try {
    return cli::Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // Each input's own shortage is answered where it arises; this is the
    // start-up (the command line, the character set) failing.
    std::fputs("evalo: not enough memory to start\n", stderr);
    return 1;
  }
}
