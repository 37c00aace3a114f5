#include "cli/options.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <utility>

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
    "      --bits          print the value's 64 bits in hexadecimal, the error\n"
    "                      code and the result text, separated by blanks\n"
    "      --explain       on an error, write the input and a caret line under\n"
    "                      the token at fault on standard error (the default\n"
    "                      when standard error is a terminal)\n"
    "      --no-explain    never write that\n"
    "      --lookalikes    also read the multiplication and division signs,\n"
    "                      the long-vowel mark and the hyphen typed for\n"
    "                      operators, and the full-width space\n"
    "      --encoding NAME character set of input and output (default: the\n"
    "                      locale's, UTF-8 when the locale is plain ASCII);\n"
    "                      UTF-8 and cp932 pass through unconverted; others\n"
    "                      must keep ASCII as it is (UTF-16 and UTF-32 do not)\n"
    "      --max-line-bytes N\n"
    "                      longest input line, in bytes (default 8388608);\n"
    "                      a longer line answers Err.Memory\n"
    "  -h, --help          show this help and exit\n"
    "  -V, --version       show the tool's and the library's version and exit\n"
    "\n"
    "Options may appear before or after expressions (the last format text\n"
    "applies to all of them); \"--\" ends the options. An argument is an\n"
    "option only when it is \"--\" or starts with \"-\" or \"--\" followed by a\n"
    "letter, so -5+3, -.5, -(1) and --2 are expressions; write -- before an\n"
    "expression such as -PI.\n"
    "\n"
    "An input with a NUL byte or that cannot be converted to code page 932\n"
    "(or an answer that cannot be converted back) prints Err.Encoding on its\n"
    "output line, and an input that does not fit in memory or is longer than\n"
    "the limit prints Err.Memory, each with a message naming the line or\n"
    "argument on standard error; the rest of the input is still evaluated.\n"
    "Arguments are counted among the expressions only, so argument N is\n"
    "answered on output line N.\n"
    "\n"
    "exit status: 0 when every expression succeeded, 1 when any failed\n"
    "(or the output or the input failed), 2 for a usage error. When the\n"
    "reader of the output goes away, evalo ends at once by SIGPIPE.\n";

namespace {

enum class OptionName {
  kFormat,
  kEncoding,
  kMaxLineBytes,
  kValue,
  kBits,
  kExplain,
  kNoExplain,
  kLookalikes,
  kHelp,
  kVersion,
};

struct OptionEntry {
  std::string_view long_name;
  std::string_view short_name;  // empty when there is none
  bool takes_value;
  OptionName name;
};

constexpr OptionEntry kOptions[] = {
    {"--format", "-f", true, OptionName::kFormat},
    {"--encoding", "", true, OptionName::kEncoding},
    {"--max-line-bytes", "", true, OptionName::kMaxLineBytes},
    {"--value", "", false, OptionName::kValue},
    {"--bits", "", false, OptionName::kBits},
    {"--explain", "", false, OptionName::kExplain},
    {"--no-explain", "", false, OptionName::kNoExplain},
    {"--lookalikes", "", false, OptionName::kLookalikes},
    {"--help", "-h", false, OptionName::kHelp},
    {"--version", "-V", false, OptionName::kVersion},
};

const OptionEntry* FindOption(std::string_view name) {
  const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                  [name](const OptionEntry& entry) {
                                    return entry.long_name == name || entry.short_name == name;
                                  });
  return found == std::end(kOptions) ? nullptr : found;
}

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

// Splits "--name=value" and "-fvalue" into a name and an attached value.
std::pair<std::string_view, std::optional<std::string_view>> SplitAttachedValue(
    std::string_view argument) {
  if (argument.starts_with("--")) {
    const auto equals = argument.find('=');
    if (equals == std::string_view::npos) return {argument, std::nullopt};
    return {argument.substr(0, equals), argument.substr(equals + 1)};
  }
  const OptionEntry* entry = FindOption(argument.substr(0, 2));
  if (argument.size() > 2 && entry != nullptr && entry->takes_value) {
    return {argument.substr(0, 2), argument.substr(2)};
  }
  return {argument, std::nullopt};
}

std::optional<std::size_t> ParseByteCount(std::string_view text) {
  std::uint64_t count = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), count);
  if (error != std::errc() || end != text.data() + text.size() || count == 0 ||
      count > SIZE_MAX) {
    return std::nullopt;
  }
  return static_cast<std::size_t>(count);
}

// Stores one option's effect; returns a usage error, or empty.
std::string ApplyOption(OptionName name, std::string_view value, Options& options) {
  switch (name) {
    case OptionName::kFormat:
      options.format = std::string(value);
      break;
    case OptionName::kEncoding:
      options.encoding = std::string(value);
      break;
    case OptionName::kMaxLineBytes:
      if (const auto count = ParseByteCount(value)) {
        options.max_line_bytes = *count;
      } else {
        return "option '--max-line-bytes' needs a whole number of bytes from 1, not " +
               QuotedOption(value);
      }
      break;
    case OptionName::kValue:
      options.output = OutputMode::kValue;
      break;
    case OptionName::kBits:
      options.output = OutputMode::kBits;
      break;
    case OptionName::kExplain:
      options.explain = true;
      break;
    case OptionName::kNoExplain:
      options.explain = false;
      break;
    case OptionName::kLookalikes:
      options.lookalikes = true;
      break;
    case OptionName::kHelp:
      options.show_help = true;
      break;
    case OptionName::kVersion:
      options.show_version = true;
      break;
  }
  return {};
}

}  // namespace

ParsedArguments ParseArguments(int argc, char** argv) {
  ParsedArguments parsed;
  Options& options = parsed.options;
  bool options_ended = false;
  bool asked_for_value = false;
  bool asked_for_bits = false;
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
    auto [name, attached] = SplitAttachedValue(argument);
    const OptionEntry* entry = FindOption(name);
    if (entry == nullptr) {
      parsed.usage_error = "unknown option " + QuotedOption(argument) +
                           " (write -- before an expression that starts with -)";
      return parsed;
    }
    if (!entry->takes_value && attached) {
      parsed.usage_error = "option " + QuotedOption(name) + " takes no value";
      return parsed;
    }
    if (entry->takes_value && !attached) {
      if (index + 1 >= argc) {
        parsed.usage_error = "option " + QuotedOption(name) + " needs a value";
        return parsed;
      }
      attached = argv[++index];
    }
    parsed.usage_error = ApplyOption(entry->name, attached.value_or(""), options);
    if (!parsed.usage_error.empty() || options.show_help || options.show_version) return parsed;
    asked_for_value |= entry->name == OptionName::kValue;
    asked_for_bits |= entry->name == OptionName::kBits;
  }
  if (asked_for_value && asked_for_bits) {
    parsed.usage_error = "options '--value' and '--bits' exclude each other";
  }
  return parsed;
}

}  // namespace cli
