#include "cli/transcoder.h"

#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstddef>
#include <cstring>
#include <utility>

#ifdef EVALO_CLI_HAVE_ICONV
#include <iconv.h>
#endif

namespace cli {
namespace {

constexpr std::string_view kLibraryCharset = "CP932";

std::string CannotConvert(const std::string& charset) {
  return "cannot convert between '" + charset + "' and code page 932";
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The character sets the library reads itself.
std::optional<LibraryEncoding> PassThroughEncoding(std::string_view charset) {
  if (EqualsIgnoringAsciiCase(charset, kLibraryCharset)) return LibraryEncoding::kCp932;
  if (EqualsIgnoringAsciiCase(charset, "UTF-8") || EqualsIgnoringAsciiCase(charset, "UTF8")) {
    return LibraryEncoding::kUtf8;
  }
  return std::nullopt;
}

}  // namespace

std::string TerminalCharset() {
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  const std::string_view name = codeset != nullptr ? codeset : "";
  if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII" || name == "US-ASCII") {
    return "UTF-8";
  }
  return std::string(name);
}

#ifdef EVALO_CLI_HAVE_ICONV
namespace {

class IconvHandle {
 public:
  IconvHandle(std::string_view to, std::string_view from)
      : handle_(iconv_open(std::string(to).c_str(), std::string(from).c_str())) {}
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  ~IconvHandle() {
    if (is_open()) iconv_close(handle_);
  }

  bool is_open() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return handle_; }

 private:
  iconv_t handle_;
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

}  // namespace

struct Transcoder::Converters {
  explicit Converters(const std::string& charset)
      : to_library(kLibraryCharset, charset),
        from_library(charset, kLibraryCharset),
        validity("UTF-32", charset) {}

  // Tells bytes that are not the terminal's character set at all from
  // characters that are fine but have no code page 932 form.
  std::string DescribeInputFault(const std::string& charset, std::string_view input,
                                 const Conversion& converted) const {
    const std::string byte = "byte " + std::to_string(converted.failed_at + 1);
    if (converted.failure == EINVAL) {
      return "the input ends inside an incomplete " + charset + " character at " + byte;
    }
    if (converted.failure != EILSEQ) {
      return "conversion to code page 932 failed at " + byte + ": " +
             std::strerror(converted.failure);
    }
    const Conversion check =
        validity.is_open() ? Convert(validity, input.substr(converted.failed_at)) : Conversion{};
    const bool invalid = !validity.is_open() || (check.failure != 0 && check.failed_at == 0);
    if (invalid) return byte + " is not valid " + charset;
    return "the character at " + byte + " has no code page 932 form";
  }

  IconvHandle to_library;
  IconvHandle from_library;
  IconvHandle validity;
};

namespace {

// The bytes the tool relies on: line ends, what expressions are made of,
// and what answers and carets are written with. Backslash and tilde are
// left out, since Japanese character sets put the yen sign and the
// overline there.
constexpr std::string_view kAsciiProbe =
    "\t\n\r !%()*+,-./0123456789:=ABCDEFGHIJKLMNOPQRSTUVWXYZ^abcdefghijklmnopqrstuvwxyz";

bool KeepsAscii(const IconvHandle& from_library) {
  const Conversion probe = Convert(from_library, kAsciiProbe);
  return probe.failure == 0 && probe.text == kAsciiProbe;
}

}  // namespace

std::optional<Transcoder> Transcoder::WithConverters(Transcoder transcoder,
                                                    std::string* problem) {
  auto converters = std::make_shared<const Converters>(transcoder.charset_);
  if (!converters->to_library.is_open() || !converters->from_library.is_open()) {
    *problem = CannotConvert(transcoder.charset_);
    return std::nullopt;
  }
  if (!KeepsAscii(converters->from_library)) {
    *problem = "character set '" + transcoder.charset_ +
               "' is not ASCII-compatible (lines are split at the byte LF)";
    return std::nullopt;
  }
  transcoder.converters_ = std::move(converters);
  return transcoder;
}

std::optional<std::string_view> Transcoder::ToLibrary(std::string_view input,
                                                      std::string* storage,
                                                      std::string* problem) const {
  if (!converters_) return input;
  Conversion converted = Convert(converters_->to_library, input);
  if (converted.failure != 0) {
    *problem = converters_->DescribeInputFault(charset_, input, converted);
    return std::nullopt;
  }
  *storage = std::move(converted.text);
  return *storage;
}

std::optional<std::string> Transcoder::FromLibrary(std::string_view text) const {
  if (!converters_) return std::string(text);
  Conversion converted = Convert(converters_->from_library, text);
  if (converted.failure != 0) return std::nullopt;
  return std::move(converted.text);
}

#else  // no iconv: code page 932 passes through, nothing else is known

struct Transcoder::Converters {};

std::optional<Transcoder> Transcoder::WithConverters(Transcoder transcoder,
                                                    std::string* problem) {
  *problem = CannotConvert(transcoder.charset_) + " (built without iconv)";
  return std::nullopt;
}

std::optional<std::string_view> Transcoder::ToLibrary(std::string_view input, std::string*,
                                                      std::string*) const {
  return input;
}

std::optional<std::string> Transcoder::FromLibrary(std::string_view text) const {
  return std::string(text);
}

#endif

std::optional<Transcoder> Transcoder::Open(std::string charset, std::string* problem) {
  Transcoder transcoder;
  transcoder.charset_ = std::move(charset);
  if (const auto encoding = PassThroughEncoding(transcoder.charset_)) {
    transcoder.library_encoding_ = *encoding;
    return transcoder;
  }
  return WithConverters(std::move(transcoder), problem);
}

}  // namespace cli
