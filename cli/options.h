// The tool's command line: options, expressions and the help text.
#ifndef EVALO_CLI_OPTIONS_H
#define EVALO_CLI_OPTIONS_H

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

extern const std::string_view kHelpText;

// Lines longer than this answer Err.Memory without being held whole; the
// library and the conversion each hold a copy of a line, so a few MiB keep
// the tool small while no expression a person writes comes near.
constexpr std::size_t kDefaultMaxLineBytes = std::size_t{8} << 20;

enum class OutputMode {
  kResultText,  // the library's result or error text
  kValue,       // the value with 17 significant digits
  kBits,        // the value's bits, the error code and the result text
};

struct Options {
  std::optional<std::string> format;
  std::optional<std::string> encoding;
  OutputMode output = OutputMode::kResultText;
  std::size_t max_line_bytes = kDefaultMaxLineBytes;
  std::optional<bool> explain;  // unset: explain when stderr is a terminal
  bool lookalikes = false;
  bool show_help = false;
  bool show_version = false;
  std::vector<std::string_view> expressions;  // views into argv
};

struct ParsedArguments {
  Options options;
  std::string usage_error;  // empty when the command line is valid
};

// Options are recognised anywhere before "--" (so the format may follow
// the expressions); -h and -V act at once, like the usage errors.
ParsedArguments ParseArguments(int argc, char** argv);

}  // namespace cli

#endif
