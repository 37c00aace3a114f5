// The tool's command line: options, expressions and the help text.
#ifndef EVALO_CLI_OPTIONS_H
#define EVALO_CLI_OPTIONS_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

extern const std::string_view kHelpText;

struct Options {
  std::optional<std::string> format;
  std::optional<std::string> encoding;
  bool print_value = false;
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
