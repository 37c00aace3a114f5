#include "cli/options.h"

#include <cstddef>

namespace cli {

const std::string_view kHelpText =
    "usage: evalo [OPTIONS] [EXPR...]\n"
    "\n"
    "Evaluates each EXPR and prints one answer line for each. Without EXPR,\n"
    "reads one expression per line from standard input and answers each line\n"
    "as it arrives (a prompt is shown when both standard input and standard\n"
    "output are terminals). Output line N always answers input N: the result,\n"
    "or an error text such as Err.Syntax. A blank line is an expression too\n"
    "and answers Err.Syntax.\n"
    "\n"
    "options:\n"
    "  -f, --format TEXT   format text: N or N.M rounds to N significant digits\n"
    "                      and M decimals; a text with % formats by pattern\n"
    "                      (at most 7 bytes)\n"
    "      --value         print the value with 17 significant digits instead\n"
    "                      of the result text (errors still print their text)\n"
    "      --encoding NAME character set of input and output (default: the\n"
    "                      locale's, UTF-8 when the locale is plain ASCII);\n"
    "                      cp932 passes bytes through unchanged\n"
    "  -h, --help          show this help and exit\n"
    "  -V, --version       show the tool's and the library's version and exit\n"
    "\n"
    "Options may appear before or after expressions (the last format text\n"
    "applies to all of them); \"--\" ends the options. An argument is an\n"
    "option only when it is \"--\" or starts with \"-\" or \"--\" followed by a\n"
    "letter, so -5+3, -.5, -(1) and --2 are expressions; write -- before an\n"
    "expression such as -PI.\n"
    "\n"
    "An input that cannot be converted to code page 932 (or an answer that\n"
    "cannot be converted back) prints Err.Encoding on its output line and a\n"
    "message naming the line or argument on standard error; the rest of the\n"
    "input is still evaluated. Arguments are counted among the expressions\n"
    "only, so argument N is answered on output line N.\n"
    "\n"
    "exit status: 0 when every expression succeeded, 1 when any failed\n"
    "(or the output could not be written), 2 for a usage error.\n";

namespace {

bool IsAsciiLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// "--" or a dash (or two) and a letter: everything else is an expression,
// which keeps negative numbers and signed brackets usable as arguments.
bool IsOption(std::string_view argument) {
  if (argument == "--") return true;
  if (!argument.starts_with('-')) return false;
  const std::size_t name_start = argument.starts_with("--") ? 2 : 1;
  return argument.size() > name_start && IsAsciiLetter(argument[name_start]);
}

std::string QuotedOption(std::string_view option) {
  // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on "'" + s.
  std::string quoted(1, '\'');
  quoted.append(option).push_back('\'');
  return quoted;
}


}  // namespace

ParsedArguments ParseArguments(int argc, char** argv) {
  ParsedArguments parsed;
  Options& options = parsed.options;
  bool options_ended = false;
  for (int index = 1; index < argc; ++index) {
    const std::string_view argument = argv[index];
    if (options_ended || !IsOption(argument)) {
      options.expressions.push_back(argument);
      continue;
    }
    if (argument == "--") {
      options_ended = true;
      continue;
    }
    // Split "--name=value" and "-fvalue" into a name and an attached value.
    std::string_view name = argument;
    std::optional<std::string_view> attached;
    if (argument.starts_with("--")) {
      if (const auto equals = argument.find('='); equals != std::string_view::npos) {
        name = argument.substr(0, equals);
        attached = argument.substr(equals + 1);
      }
    } else if (argument.size() > 2 && argument[1] == 'f') {
      name = argument.substr(0, 2);
      attached = argument.substr(2);
    }
    const bool takes_value = name == "-f" || name == "--format" || name == "--encoding";
    const bool is_flag = name == "--value" || name == "-h" || name == "--help" ||
                         name == "-V" || name == "--version";
    if (!takes_value && !is_flag) {
      parsed.usage_error = "unknown option " + QuotedOption(argument) +
                           " (write -- before an expression that starts with -)";
      return parsed;
    }
    if (is_flag && attached) {
      parsed.usage_error = "option " + QuotedOption(name) + " takes no value";
      return parsed;
    }
    if (takes_value && !attached) {
      if (index + 1 >= argc) {
        parsed.usage_error = "option " + QuotedOption(name) + " needs a value";
        return parsed;
      }
      attached = argv[++index];
    }
    if (name == "-f" || name == "--format") {
      options.format = std::string(*attached);
    } else if (name == "--encoding") {
      options.encoding = std::string(*attached);
    } else if (name == "--value") {
      options.print_value = true;
    } else if (name == "-h" || name == "--help") {
      options.show_help = true;
      return parsed;
    } else {
      options.show_version = true;
      return parsed;
    }
  }
  return parsed;
}

}  // namespace cli
