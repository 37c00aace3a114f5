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

// The library's side of the conversion: it reads code page 932, or UTF-8
// on a context made for UTF-8.
enum class LibraryEncoding { kCp932, kUtf8 };

// Converts inputs to the library's encoding and answers back. Code page 932
// and UTF-8, which the library reads itself, pass through untouched; other
// character sets are converted to and from code page 932.
class Transcoder {
 public:
  // Empty, with *problem saying why, when no conversion between the two
  // character sets is known or the character set does not keep ASCII as it
  // is (UTF-16, UTF-32): lines are split at the byte LF, and the answers
  // and messages are written in ASCII.
  static std::optional<Transcoder> Open(std::string charset, std::string* problem);

  const std::string& charset() const { return charset_; }
  LibraryEncoding library_encoding() const { return library_encoding_; }

  // The input in the library's encoding, or empty with *problem describing
  // the fault.
  // The input must be followed by a NUL, and so is the text returned: the
  // input itself when it passes through, else the conversion in *storage.
  std::optional<std::string_view> ToLibrary(std::string_view input, std::string* storage,
                                            std::string* problem) const;

  // The library's text in the terminal's character set, or empty.
  std::optional<std::string> FromLibrary(std::string_view text) const;

 private:
  struct Converters;  // iconv's handles; none for a pass-through

  static std::optional<Transcoder> WithConverters(Transcoder transcoder, std::string* problem);

  std::string charset_;
  LibraryEncoding library_encoding_ = LibraryEncoding::kCp932;
  std::shared_ptr<const Converters> converters_;
};

}  // namespace cli

#endif
