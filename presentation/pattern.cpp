#include "presentation/pattern.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "presentation/decimal_text.h"

namespace presentation {
namespace {

constexpr std::size_t kTextLimit = kPatternDestinationSize - 1;
constexpr int kMaxDigits = 18;          // significant digits a floating value ever keeps
constexpr int kDefaultSignificant = 15;  // "e" and "g" without a usable precision
constexpr int kMinSignificant = 2;
constexpr int kDefaultDecimals = 2;      // "f" and "n" without a usable precision
constexpr int kMinimumDigitsLimit = 16;  // integer precisions from here on add no zeros
// Counts in a pattern saturate here. Any width this large overflows the
// destination and any precision this large acts like every other one over 18,
// so saturating loses nothing and nothing wraps.
constexpr int kCountLimit = 1000;

bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Blanks needed to bring a text of `length` bytes to `width`; none for a
// width of 0 or less.
std::size_t PaddingFor(int width, std::size_t length) noexcept {
  const auto wanted = static_cast<std::size_t>(std::max(width, 0));
  return wanted > length ? wanted - length : 0;
}

char ToLower(char c) noexcept {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// digits = { "0"-"9" }, saturating at kCountLimit.
int ParseCount(const char*& cursor) noexcept {
  int value = 0;
  for (; IsDigit(*cursor); ++cursor) value = std::min(value * 10 + (*cursor - '0'), kCountLimit);
  return value;
}

// A bounded text under construction: a byte past the limit is not stored but
// marks the text as overflowed, so the caller can refuse it as a whole.
class TextSink {
 public:
  TextSink(char* buffer, std::size_t limit) noexcept : buffer_(buffer), limit_(limit) {}

  void Put(char c) noexcept {
    if (length_ < limit_) {
      buffer_[length_++] = c;
    } else {
      overflowed_ = true;
    }
  }
  void Put(std::string_view text) noexcept {
    for (char c : text) Put(c);
  }
  void PutRepeated(char c, std::size_t count) noexcept {
    if (count > limit_ - length_) {
      overflowed_ = true;
      return;
    }
    for (; count > 0; --count) buffer_[length_++] = c;
  }

  bool Overflowed() const noexcept { return overflowed_; }
  std::string_view Text() const noexcept { return {buffer_, length_}; }

 private:
  char* buffer_;
  std::size_t limit_;
  std::size_t length_ = 0;
  bool overflowed_ = false;
};

// ---------------------------------------------------------------------------
// Parsing a conversion

enum class ValueKind { kNone, kInteger, kFloating, kText };

ValueKind KindOfLetter(char letter) noexcept {
  switch (letter) {
    case 'd': case 'u': case 'x': return ValueKind::kInteger;
    case 'e': case 'f': case 'g': case 'n': case 'm': return ValueKind::kFloating;
    case 's': return ValueKind::kText;
    default: return ValueKind::kNone;
  }
}

struct Conversion {
  bool leftAligned = false;
  int width = 0;
  std::optional<int> precision;
  char letter = '\0';  // lower case
};

enum class ParseOutcome { kComplete, kPatternEnded, kRefused };

// After the "%": [ "0:" ] [ "-" ] [ width ] [ "." precision ] letter
// A "+", a blank or a "*" lands where the letter belongs and is refused there.
ParseOutcome ParseConversion(const char*& cursor, Conversion& conversion) noexcept {
  const char* p = cursor;
  if (IsDigit(*p)) {
    const char* afterDigits = p;
    const int index = ParseCount(afterDigits);
    if (*afterDigits == ':') {
      if (index != 0) return ParseOutcome::kRefused;  // there is only the value 0
      p = afterDigits + 1;
    }  // otherwise the digits are the width
  }
  if (*p == '-') {
    conversion.leftAligned = true;
    ++p;
  }
  conversion.width = ParseCount(p);
  if (*p == '.') {
    ++p;
    conversion.precision = ParseCount(p);
  }
  if (*p == '\0') return ParseOutcome::kPatternEnded;
  conversion.letter = ToLower(*p++);
  if (KindOfLetter(conversion.letter) == ValueKind::kNone) return ParseOutcome::kRefused;
  cursor = p;
  return ParseOutcome::kComplete;
}

// ---------------------------------------------------------------------------
// Which digits: a floating value as at most 18 significant decimal digits

struct DecimalDigits {
  std::array<char, kMaxDigits> digits{};  // '0' to '9'
  int count = 0;                          // 0: written as zero, without a sign
  int exponent = 0;                       // value = 0.d1d2... x 10^exponent
  bool negative = false;

  char DigitAt(int index) const noexcept {
    return index >= 0 && index < count ? digits[static_cast<std::size_t>(index)] : '0';
  }
};

// First rounding: exactly 18 significant digits, ties to even, done exactly
// by the scientific form with 17 decimals.
DecimalDigits EighteenDigits(double x) noexcept {
  DecimalDigits result;
  result.negative = std::signbit(x);
  if (x == 0) return result;
  char text[32];  // d.ddddddddddddddddde-308 at most
  static_assert(kMaxDigits == 18, "the scientific form has 18 digits");
  const char* end = WriteEighteenDigitsScientific(text, std::fabs(x));
  result.digits[0] = text[0];
  std::copy(text + 2, text + 1 + kMaxDigits, result.digits.begin() + 1);
  const char* exponentText = text + 2 + kMaxDigits;  // after "e"
  const bool negativeExponent = *exponentText == '-';
  int magnitude = 0;
  std::from_chars(exponentText + 1, end, magnitude);
  result.exponent = (negativeExponent ? -magnitude : magnitude) + 1;
  result.count = kMaxDigits;
  return result;
}

// Second rounding: half up to `kept` digits, with carries; then trailing
// zeros go. A kept count below zero leaves no digits at all; a kept count of
// zero still rounds a first digit of 5 or more up to "1".
DecimalDigits KeepDigits(DecimalDigits value, int kept) noexcept {
  if (kept < 0) {
    value.count = 0;
  } else if (kept < value.count) {
    const bool roundUp = value.digits[static_cast<std::size_t>(kept)] >= '5';
    value.count = kept;
    if (roundUp) {
      int i = kept - 1;
      for (; i >= 0 && value.digits[static_cast<std::size_t>(i)] == '9'; --i) {
        value.digits[static_cast<std::size_t>(i)] = '0';
      }
      if (i >= 0) {
        ++value.digits[static_cast<std::size_t>(i)];
      } else {
        value.digits[0] = '1';
        value.count = 1;
        ++value.exponent;
      }
    }
  }
  while (value.count > 0 && value.digits[static_cast<std::size_t>(value.count - 1)] == '0') {
    --value.count;
  }
  if (value.count == 0) value.exponent = 0;
  return value;
}

// ---------------------------------------------------------------------------
// How they are laid out

void PutSign(TextSink& out, const DecimalDigits& value) noexcept {
  if (value.count > 0 && value.negative) out.Put('-');
}

void PutUnsignedDecimal(TextSink& out, unsigned value) noexcept {
  char text[10];
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  out.Put(std::string_view(text, static_cast<std::size_t>(end - text)));
}

// 1.23450000000000E+003: P significant digits, exponent of at least 3 digits.
void PutExponentForm(TextSink& out, const DecimalDigits& value, int significant,
                     char decimalSeparator) noexcept {
  out.Put(value.DigitAt(0));
  out.Put(decimalSeparator);
  for (int i = 1; i < significant; ++i) out.Put(value.DigitAt(i));
  const int exponent = value.count == 0 ? 0 : value.exponent - 1;
  out.Put('E');
  out.Put(exponent < 0 ? '-' : '+');
  const unsigned magnitude = static_cast<unsigned>(exponent < 0 ? -exponent : exponent);
  if (magnitude < 100) out.Put('0');
  if (magnitude < 10) out.Put('0');
  PutUnsignedDecimal(out, magnitude);
}

// 1234567.89 or, with a group separator, 1,234,567.89: exactly `decimals`
// decimals, zeros wherever the digits do not reach.
void PutFixedForm(TextSink& out, const DecimalDigits& value, int decimals, char groupSeparator,
                  char decimalSeparator) noexcept {
  if (value.count == 0 || value.exponent <= 0) {
    out.Put('0');
  } else {
    for (int i = 0; i < value.exponent; ++i) {
      if (groupSeparator != '\0' && i > 0 && (value.exponent - i) % 3 == 0) out.Put(groupSeparator);
      out.Put(value.DigitAt(i));
    }
  }
  if (decimals <= 0) return;
  out.Put(decimalSeparator);
  for (int i = 0; i < decimals; ++i) out.Put(value.DigitAt(value.exponent + i));
}

// The shortest of the two: 1234.5, 0.0001234, 1.234E-5, 1E15.
void PutGeneralForm(TextSink& out, const DecimalDigits& value, int significant,
                    char decimalSeparator) noexcept {
  if (value.count == 0) {
    out.Put('0');
  } else if (value.exponent > significant || value.exponent < -3) {
    out.Put(value.digits[0]);
    if (value.count > 1) {
      out.Put(decimalSeparator);
      for (int i = 1; i < value.count; ++i) out.Put(value.DigitAt(i));
    }
    const int exponent = value.exponent - 1;
    out.Put('E');
    if (exponent < 0) out.Put('-');
    PutUnsignedDecimal(out, static_cast<unsigned>(exponent < 0 ? -exponent : exponent));
  } else if (value.exponent > 0) {
    for (int i = 0; i < value.exponent; ++i) out.Put(value.DigitAt(i));
    if (value.count > value.exponent) {
      out.Put(decimalSeparator);
      for (int i = value.exponent; i < value.count; ++i) out.Put(value.DigitAt(i));
    }
  } else {
    out.Put('0');
    out.Put(decimalSeparator);
    for (int i = value.exponent; i < 0; ++i) out.Put('0');
    for (int i = 0; i < value.count; ++i) out.Put(value.DigitAt(i));
  }
}

// "$" stands for the currency symbol, "*" for the number without its sign.
constexpr std::array<std::string_view, 4> kPositiveCurrencyForms = {"$*", "*$", "$ *", "* $"};
constexpr std::array<std::string_view, 16> kNegativeCurrencyForms = {
    "($*)", "-$*", "$-*", "$*-", "(*$)", "-*$", "*-$", "*$-",
    "-* $", "-$ *", "* $-", "$ *-", "$ -*", "*- $", "($ *)", "(* $)"};

template <std::size_t N>
constexpr bool EachFormHasOneNumberAndOneSymbol(const std::array<std::string_view, N>& forms) {
  return std::ranges::all_of(forms, [](std::string_view form) {
    return std::ranges::count(form, '*') == 1 && std::ranges::count(form, '$') == 1;
  });
}
static_assert(EachFormHasOneNumberAndOneSymbol(kPositiveCurrencyForms));
static_assert(EachFormHasOneNumberAndOneSymbol(kNegativeCurrencyForms));

// A setting past the last form counts as the last form (and one below the
// first as the first).
template <std::size_t N>
std::string_view CurrencyForm(const std::array<std::string_view, N>& forms, int setting) noexcept {
  return forms[static_cast<std::size_t>(std::clamp(setting, 0, static_cast<int>(N) - 1))];
}

void PutCurrencyForm(TextSink& out, const DecimalDigits& value, int decimals,
                     const LocaleSettings& settings) noexcept {
  const std::string_view form =
      value.count > 0 && value.negative
          ? CurrencyForm(kNegativeCurrencyForms, settings.negativeCurrencyFormat)
          : CurrencyForm(kPositiveCurrencyForms, settings.positiveCurrencyFormat);
  const char* const symbolEnd = std::find(std::begin(settings.currencySymbol),
                                          std::end(settings.currencySymbol), '\0');
  const std::string_view symbol(settings.currencySymbol,
                                static_cast<std::size_t>(symbolEnd - settings.currencySymbol));
  for (char part : form) {
    if (part == '$') {
      out.Put(symbol);
    } else if (part == '*') {
      PutFixedForm(out, value, decimals, settings.thousandsSeparator, settings.decimalSeparator);
    } else {
      out.Put(part);
    }
  }
}

// ---------------------------------------------------------------------------
// Conversions

int SignificantDigits(const std::optional<int>& precision) noexcept {
  const int digits = precision && *precision <= kMaxDigits ? *precision : kDefaultSignificant;
  return std::max(digits, kMinSignificant);
}

// e, g, f, n, m. Infinities and NaNs never come out of an evaluation; should
// one be handed over, it is refused rather than given made-up digits.
bool PutFloating(TextSink& out, const Conversion& conversion, double x,
                 const LocaleSettings& settings) noexcept {
  if (!std::isfinite(x)) return false;
  const DecimalDigits exact = EighteenDigits(x);
  const char decimalSeparator = settings.decimalSeparator;
  if (conversion.letter == 'e' || conversion.letter == 'g') {
    const int significant = SignificantDigits(conversion.precision);
    const DecimalDigits kept = KeepDigits(exact, significant);
    PutSign(out, kept);
    if (conversion.letter == 'e') {
      PutExponentForm(out, kept, significant, decimalSeparator);
    } else {
      PutGeneralForm(out, kept, significant, decimalSeparator);
    }
    return true;
  }
  // f, n, m: from 10^18 on the fixed forms give way to "g" with 18 digits.
  if (exact.count > 0 && exact.exponent > kMaxDigits) {
    const DecimalDigits kept = KeepDigits(exact, kMaxDigits);
    PutSign(out, kept);
    PutGeneralForm(out, kept, kMaxDigits, decimalSeparator);
    return true;
  }
  const int defaultDecimals = conversion.letter == 'm'
                                  ? std::clamp(settings.currencyDecimals, 0, kMaxDigits)
                                  : kDefaultDecimals;
  const int decimals = conversion.precision && *conversion.precision <= kMaxDigits
                           ? *conversion.precision
                           : defaultDecimals;
  const DecimalDigits kept = KeepDigits(exact, std::min(exact.exponent + decimals, kMaxDigits));
  if (conversion.letter == 'm') {
    PutCurrencyForm(out, kept, decimals, settings);
    return true;
  }
  PutSign(out, kept);
  PutFixedForm(out, kept, decimals, conversion.letter == 'n' ? settings.thousandsSeparator : '\0',
               decimalSeparator);
  return true;
}

// d, u, x: a precision below 16 is a minimum count of digits, zeros after the sign.
void PutInteger(TextSink& out, const Conversion& conversion, std::int32_t value) noexcept {
  const auto bits = static_cast<std::uint32_t>(value);
  const bool negative = conversion.letter == 'd' && value < 0;
  const std::uint32_t magnitude = negative ? 0u - bits : bits;
  char digits[10];
  const int base = conversion.letter == 'x' ? 16 : 10;
  char* end = std::to_chars(digits, digits + sizeof digits, magnitude, base).ptr;
  std::transform(digits, end, digits,
                 [](char c) { return c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c; });
  const auto length = static_cast<std::size_t>(end - digits);
  if (negative) out.Put('-');
  if (conversion.precision && *conversion.precision < kMinimumDigitsLimit) {
    const auto minimum = static_cast<std::size_t>(*conversion.precision);
    if (minimum > length) out.PutRepeated('0', minimum - length);
  }
  out.Put(std::string_view(digits, length));
}

void PutText(TextSink& out, const Conversion& conversion, std::string_view text) noexcept {
  if (conversion.precision) text = text.substr(0, static_cast<std::size_t>(*conversion.precision));
  out.Put(text);
}

// The converted field, padded to the width; false if the letter does not fit
// the value or the field cannot fit the destination.
bool PutConversion(TextSink& out, const Conversion& conversion, const PatternValue& value,
                   const LocaleSettings& settings) noexcept {
  char fieldText[kPatternDestinationSize];
  TextSink field(fieldText, kTextLimit);
  switch (KindOfLetter(conversion.letter)) {
    case ValueKind::kInteger: {
      const auto* integer = std::get_if<std::int32_t>(&value);
      if (integer == nullptr) return false;
      PutInteger(field, conversion, *integer);
      break;
    }
    case ValueKind::kFloating: {
      const auto* floating = std::get_if<double>(&value);
      if (floating == nullptr || !PutFloating(field, conversion, *floating, settings)) return false;
      break;
    }
    case ValueKind::kText: {
      const auto* text = std::get_if<std::string_view>(&value);
      if (text == nullptr) return false;
      PutText(field, conversion, *text);
      break;
    }
    case ValueKind::kNone:
      return false;
  }
  if (field.Overflowed()) return false;
  const std::size_t padding = PaddingFor(conversion.width, field.Text().size());
  if (!conversion.leftAligned) out.PutRepeated(' ', padding);
  out.Put(field.Text());
  if (conversion.leftAligned) out.PutRepeated(' ', padding);
  return true;
}

// ---------------------------------------------------------------------------
// FormatByPattern's own steps

// The signed 32-bit range is tested on the double itself, before the cast:
// 2147483647.5 is out, -2147483648 is in, and so is nothing that is NaN.
std::optional<std::int32_t> TruncateToInt32(double x) noexcept {
  if (!(x >= -2147483648.0 && x <= 2147483647.0)) return std::nullopt;
  return static_cast<std::int32_t>(x);  // the cast truncates toward zero
}

bool IsWidthBlank(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }

// W: blanks, an optional sign, digits (none gives 0).
int ReadBinaryWidth(const char* cursor) noexcept {
  while (IsWidthBlank(*cursor)) ++cursor;
  const bool negative = *cursor == '-';
  if (*cursor == '+' || *cursor == '-') ++cursor;
  const int magnitude = ParseCount(cursor);
  return negative ? -magnitude : magnitude;
}

bool IsSelectorByte(char c) noexcept {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 0x41 && byte <= 0x7A;
}

// The digits of the unsigned 32-bit form, blanks in front up to the width.
bool WriteBinaryField(char* field, std::uint32_t bits, int width) noexcept {
  char digits[32];
  const char* end = std::to_chars(digits, digits + sizeof digits, bits, 2).ptr;
  const auto length = static_cast<std::size_t>(end - digits);
  const std::size_t blanks = PaddingFor(width, length);
  if (blanks + length > kBinaryFieldLength) return false;
  std::memset(field, ' ', blanks);
  std::memcpy(field + blanks, digits, length);
  field[blanks + length] = '\0';
  return true;
}

}  // namespace

bool FormatPattern(char* destination, const char* pattern, const PatternValue& value,
                   const LocaleSettings& settings) noexcept {
  char staging[kPatternDestinationSize];
  TextSink out(staging, kTextLimit);
  bool converted = false;
  for (const char* p = pattern; *p != '\0';) {
    if (*p != '%') {
      out.Put(*p++);
      continue;
    }
    if (p[1] == '%') {
      out.Put('%');
      p += 2;
      continue;
    }
    ++p;
    Conversion conversion;
    const ParseOutcome outcome = ParseConversion(p, conversion);
    if (outcome == ParseOutcome::kRefused) return false;
    if (outcome == ParseOutcome::kPatternEnded) break;  // the output just ends
    if (converted) return false;                         // there is no second value
    converted = true;
    if (!PutConversion(out, conversion, value, settings)) return false;
  }
  if (out.Overflowed()) return false;
  const std::string_view text = out.Text();
  std::memcpy(destination, text.data(), text.size());
  destination[text.size()] = '\0';
  return true;
}

bool FormatByPattern(char* destination, const char* pattern, double x,
                     const LocaleSettings& settings) noexcept {
  char copy[kPatternLength + 1] = {};
  for (std::size_t i = 0; i < kPatternLength && pattern[i] != '\0'; ++i) copy[i] = pattern[i];

  char* const percent = std::strchr(copy, '%');
  if (percent == nullptr) return true;
  const auto percentPosition = static_cast<std::size_t>(percent - copy);

  // One sign may stand between "%" and W; the byte after it decides the zero fill.
  char* place = percent + 1;
  if (*place == '+' || *place == '-') ++place;
  const char zeroFillByte = *place;
  const int width = ReadBinaryWidth(place);
  char* selector = place;
  while (*selector != '\0' && !IsSelectorByte(*selector)) ++selector;

  char binaryField[kBinaryFieldLength + 1];
  PatternValue value = x;
  switch (ToLower(*selector)) {
    case 'b': {
      const auto integer = TruncateToInt32(x);
      if (!integer || !WriteBinaryField(binaryField, static_cast<std::uint32_t>(*integer), width)) {
        return false;
      }
      // "%08b" becomes "%s": the formatter copies the prepared field, and its
      // signs and precision have no say over it.
      percent[1] = 's';
      std::memmove(percent + 2, selector + 1, std::strlen(selector + 1) + 1);
      value = std::string_view(binaryField);
      break;
    }
    case 'd':
    case 'u':
    case 'x': {
      const auto integer = TruncateToInt32(x);
      if (!integer) return false;
      value = *integer;
      break;
    }
    default:
      break;
  }

  if (!FormatPattern(destination, copy, value, settings)) return false;

  // Zero fill turns only the leading blanks of the field into zeros: a minus
  // sign stays where it is ("%05d" with -42 gives 00-42).
  if (zeroFillByte == '0') {
    for (char* p = destination + percentPosition; *p == ' '; ++p) *p = '0';
  }
  return true;
}

}  // namespace presentation
