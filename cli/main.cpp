// evalo: a calculator for the terminal and for scripts.
//
//     evalo '(1+2)*SIN30' -f 5.2          ->  -2.96
//     printf '1+2\n2^10\n' | evalo        ->  3, 1024
//
// Each expression argument, or else each line of standard input, gets exactly
// one output line, so output line N always answers input N. The library reads
// code page 932; the tool converts from and to the terminal's character set.
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
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

int EvaluateStandardInput(Calculator& calculator) {
  const bool interactive = isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
  LineReader reader;
  for (std::size_t number = 1;; ++number) {
    if (interactive) {
      std::fwrite(kPrompt.data(), 1, kPrompt.size(), stdout);
      std::fflush(stdout);
    }
    const std::optional<std::string_view> line = reader.Next(stdin);
    if (!line) break;
    if (!calculator.Answer(*line, {"line", number})) return ReportWriteError();
  }
  if (std::ferror(stdin)) {
    std::fprintf(stderr, "evalo: cannot read standard input: %s\n", std::strerror(errno));
    return kExitFailure;
  }
  if (interactive) std::fputc('\n', stdout);  // end the prompt's line
  return calculator.any_failed() ? kExitFailure : kExitSuccess;
}

// Sets the library's format text, in code page 932 like the expressions.
bool ApplyFormat(const Transcoder& transcoder, const std::string& text) {
  std::string problem;
  const std::optional<std::string> converted = transcoder.ToLibrary(text, &problem);
  if (!converted || converted->find('\0') != std::string::npos) {
    PrintUsageError("format text: " + (problem.empty() ? "contains a NUL byte" : problem));
    return false;
  }
  if (converted->size() > kFormatCapacity) {
    PrintUsageError("format text '" + text + "' is longer than " +
                    std::to_string(kFormatCapacity) + " bytes");
    return false;
  }
  format(converted->c_str());
  return true;
}

int Run(int argc, char** argv) {
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
  const std::optional<Transcoder> transcoder = Transcoder::Open(charset);
  if (!transcoder) {
    PrintUsageError("cannot convert between '" + charset + "' and code page 932" +
                    (options.encoding ? "" : "; choose a character set with --encoding"));
    return kExitUsage;
  }
  if (options.format && !ApplyFormat(*transcoder, *options.format)) return kExitUsage;

  Calculator calculator(*transcoder, options.print_value);
  return options.expressions.empty() ? EvaluateStandardInput(calculator)
                                     : EvaluateArguments(calculator, options.expressions);
}

}  // namespace
}  // namespace cli

int main(int argc, char** argv) { return cli::Run(argc, argv); }
