// Conversion between the terminal's character set and code page 932, the
// library's own.
#ifndef EVALO_CLI_TRANSCODER_H
#define EVALO_CLI_TRANSCODER_H

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace cli {

// The terminal's character set. A plain ASCII locale (the C locale, or no
// locale at all, as under most CI runners) is read as UTF-8: that is what
// terminals send today, and ASCII input is the same in both.
std::string TerminalCharset();

// Converts inputs to code page 932 and answers back; for code page 932
// itself the bytes pass through untouched.
class Transcoder {
 public:
  // Empty when no conversion between the two character sets is known.
  static std::optional<Transcoder> Open(std::string charset);

  const std::string& charset() const { return charset_; }

  // The input in code page 932, or empty with *problem describing the fault.
  std::optional<std::string> ToLibrary(std::string_view input, std::string* problem) const;

  // The library's text in the terminal's character set, or empty.
  std::optional<std::string> FromLibrary(std::string_view text) const;

 private:
  struct Converters;  // iconv's handles; none for a pass-through

  std::string charset_;
  std::shared_ptr<const Converters> converters_;
};

}  // namespace cli

#endif
