// evalo: a calculator for the terminal and for scripts.
//
//     evalo '(1+2)*SIN30' -f 5.2          ->  -2.96
//     printf '1+2\n2^10\n' | evalo        ->  3, 1024
//
// Each expression argument, or else each line of standard input, gets exactly
// one output line, so output line N always answers input N. The library reads
// code page 932; the tool converts from and to the terminal's character set.
#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <clocale>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

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

// Printed in place of an answer when an input or an answer cannot be
// converted, so the output lines stay in step with the input lines.
constexpr std::string_view kEncodingErrorText = "Err.Encoding";

constexpr std::string_view kLibraryCharset = "CP932";
constexpr std::string_view kPrompt = "> ";

constexpr std::string_view kHelpText =
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

// ---------------------------------------------------------------------------
// Command line

struct Options {
  std::optional<std::string> format;
  std::optional<std::string> encoding;
  bool print_value = false;
  bool show_help = false;
  bool show_version = false;
  std::vector<std::string_view> expressions;
};

struct ParsedArguments {
  Options options;
  std::string usage_error;  // empty when the command line is valid
};

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
  return "'" + std::string(option) + "'";
}

// Options are recognised anywhere before "--" (so the format may follow
// the expressions); -h and -V act at once, like the usage errors.
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

// ---------------------------------------------------------------------------
// Character sets

class IconvHandle {
 public:
  IconvHandle() = default;
  IconvHandle(std::string_view to, std::string_view from)
      : handle_(iconv_open(std::string(to).c_str(), std::string(from).c_str())) {}
  IconvHandle(IconvHandle&& other) noexcept
      : handle_(std::exchange(other.handle_, kInvalid)) {}
  IconvHandle& operator=(IconvHandle&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  ~IconvHandle() {
    if (is_open()) iconv_close(handle_);
  }

  bool is_open() const { return handle_ != kInvalid; }
  iconv_t get() const { return handle_; }

 private:
  inline static const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
  iconv_t handle_ = kInvalid;
};

struct Conversion {
  std::string text;
  int failure = 0;             // errno of the failed step, 0 on success
  std::size_t failed_at = 0;   // offset of the first byte not converted
};

// Converts the whole text, starting and ending in the initial shift state.
Conversion Convert(const IconvHandle& converter, std::string_view input) {
  iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
  Conversion result;
  std::string& out = result.text;
  out.resize(input.size());  // grown on demand: answers may get longer
  char* in = const_cast<char*>(input.data());  // iconv never writes through it
  std::size_t in_left = input.size();
  std::size_t written = 0;
  bool flushing = false;  // second phase: write the closing shift sequence
  for (;;) {
    char* out_ptr = out.data() + written;
    std::size_t out_left = out.size() - written;
    const std::size_t rc = flushing
        ? iconv(converter.get(), nullptr, nullptr, &out_ptr, &out_left)
        : iconv(converter.get(), &in, &in_left, &out_ptr, &out_left);
    written = static_cast<std::size_t>(out_ptr - out.data());
    if (rc == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) {
        out.resize(std::max<std::size_t>(16, out.size() * 2));
        continue;
      }
      result.failure = errno;
      result.failed_at = input.size() - in_left;
      return result;
    }
    if (flushing) break;
    flushing = true;
  }
  out.resize(written);
  return result;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The terminal's character set. A plain ASCII locale (the C locale, or no
// locale at all, as under most CI runners) is read as UTF-8: that is what
// terminals send today, and ASCII input is the same in both.
std::string TerminalCharset() {
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  const std::string_view name = codeset != nullptr ? codeset : "";
  if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII") {
    return "UTF-8";
  }
  return std::string(name);
}

// Converts inputs to code page 932 and answers back; for code page 932
// itself the bytes pass through untouched.
class Transcoder {
 public:
  // Empty when iconv knows no conversion between the two character sets.
  static std::optional<Transcoder> Open(std::string charset) {
    Transcoder transcoder;
    transcoder.charset_ = std::move(charset);
    if (EqualsIgnoringAsciiCase(transcoder.charset_, kLibraryCharset)) return transcoder;
    transcoder.to_library_ = IconvHandle(kLibraryCharset, transcoder.charset_);
    transcoder.from_library_ = IconvHandle(transcoder.charset_, kLibraryCharset);
    transcoder.validity_ = IconvHandle("UTF-32", transcoder.charset_);
    if (!transcoder.to_library_.is_open() || !transcoder.from_library_.is_open()) {
      return std::nullopt;
    }
    return transcoder;
  }

  const std::string& charset() const { return charset_; }

  // The input in code page 932, or empty with *problem describing the fault.
  std::optional<std::string> ToLibrary(std::string_view input, std::string* problem) const {
    if (!to_library_.is_open()) return std::string(input);
    Conversion converted = Convert(to_library_, input);
    if (converted.failure == 0) return std::move(converted.text);
    *problem = DescribeInputFault(input, converted);
    return std::nullopt;
  }

  // The library's text in the terminal's character set, or empty.
  std::optional<std::string> FromLibrary(std::string_view text) const {
    if (!from_library_.is_open()) return std::string(text);
    Conversion converted = Convert(from_library_, text);
    if (converted.failure != 0) return std::nullopt;
    return std::move(converted.text);
  }

 private:
  // Tells bytes that are not the terminal's character set at all from
  // characters that are fine but have no code page 932 form.
  std::string DescribeInputFault(std::string_view input, const Conversion& converted) const {
    const std::string byte = "byte " + std::to_string(converted.failed_at + 1);
    if (converted.failure == EINVAL) {
      return "the input ends inside an incomplete " + charset_ + " character at " + byte;
    }
    if (converted.failure != EILSEQ) {
      return "conversion to code page 932 failed at " + byte + ": " +
             std::strerror(converted.failure);
    }
    const Conversion check =
        validity_.is_open() ? Convert(validity_, input.substr(converted.failed_at)) : Conversion{};
    const bool invalid = !validity_.is_open() || (check.failure != 0 && check.failed_at == 0);
    if (invalid) return byte + " is not valid " + charset_;
    return "the character at " + byte + " has no code page 932 form";
  }

  std::string charset_;
  IconvHandle to_library_;
  IconvHandle from_library_;
  IconvHandle validity_;
};

// ---------------------------------------------------------------------------
// Evaluation

// Writes the value so that reading it back gives the same double.
std::string ValueText(double value) {
  char buffer[32];
  const auto written = std::to_chars(buffer, buffer + sizeof buffer, value,
                                     std::chars_format::general, 17);
  return std::string(buffer, written.ptr);
}

// Where an input came from, for the messages on standard error.
struct InputPlace {
  std::string_view kind;  // "line" or "argument"
  std::size_t number;     // from 1
};

class Calculator {
 public:
  Calculator(const Transcoder& transcoder, bool print_value)
      : transcoder_(transcoder), print_value_(print_value) {}

  // Evaluates one input and writes its answer line. False when writing
  // stdout failed, which ends the run.
  bool Answer(std::string_view input, InputPlace place) {
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

  bool any_failed() const { return any_failed_; }

 private:
  bool ReportEncodingFault(InputPlace place, const std::string& problem) {
    any_failed_ = true;
    std::fprintf(stderr, "evalo: %.*s %zu: %s\n", static_cast<int>(place.kind.size()),
                 place.kind.data(), place.number, problem.c_str());
    return WriteLine(kEncodingErrorText);
  }

  // Flushed at once: a pipe's reader gets each answer as its line is read.
  static bool WriteLine(std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fputc('\n', stdout);
    return std::fflush(stdout) == 0;
  }

  const Transcoder& transcoder_;
  bool print_value_;
  bool any_failed_ = false;
};

class LineReader {
 public:
  LineReader() = default;
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;
  ~LineReader() { std::free(buffer_); }

  // The next line without its LF (and without the CR of a CR LF), or empty
  // at the end of input. getline grows the buffer for lines of any length.
  std::optional<std::string_view> Next(std::FILE* in) {
    const ssize_t length = getline(&buffer_, &capacity_, in);
    if (length < 0) return std::nullopt;
    std::string_view line(buffer_, static_cast<std::size_t>(length));
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    return line;
  }

 private:
  char* buffer_ = nullptr;
  std::size_t capacity_ = 0;
};

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
