#include "presentation/locale_settings.h"

#include <langinfo.h>

#include <array>
#include <climits>
#include <cstring>

#include "presentation/currency_symbol.h"

namespace presentation {
namespace {

constexpr int kMaxCurrencyDecimals = 18;  // the formatter keeps at most 18 digits

// Only a separator of exactly one byte fits the formatter; anything else
// (empty, or a multi-byte character) keeps the default.
char OneByteOr(const char* text, char fallback) noexcept {
  if (text == nullptr || text[0] == '\0' || text[1] != '\0') return fallback;
  return text[0];
}

// Grouped numbers must read back unambiguously: a thousands separator that
// would equal the decimal separator (the default "," in a decimal-comma
// locale whose own separator is a multi-byte space) becomes a blank.
char ThousandsSeparatorBeside(char decimalSeparator, char wanted) noexcept {
  return wanted == decimalSeparator ? ' ' : wanted;
}

// The positive currency forms by symbol position and spacing:
//   cs_precedes 1, no space -> 0 "$*"     cs_precedes 0, no space -> 1 "*$"
//   cs_precedes 1, space    -> 2 "$ *"    cs_precedes 0, space    -> 3 "* $"
// sep_by_space 2 (the blank goes next to the sign) counts as a space between
// symbol and number, the nearest form the table has.
int PositiveFormat(char csPrecedes, char sepBySpace) noexcept {
  if (csPrecedes == CHAR_MAX || sepBySpace == CHAR_MAX) return 0;
  const bool symbolFirst = csPrecedes != 0;
  const bool spaced = sepBySpace != 0;
  if (symbolFirst) return spaced ? 2 : 0;
  return spaced ? 3 : 1;
}

// The negative currency forms by [symbol first][spaced][sign position], the
// sign position as the C library numbers it:
//   0 brackets around number and symbol   1 sign before both
//   2 sign after both                      3 sign right before the symbol
//   4 sign right after the symbol
// Where the table has no exact form (a sign right after a trailing symbol
// with a blank, say) the nearest one with the same order of parts is taken.
constexpr std::array<std::array<std::array<int, 5>, 2>, 2> kNegativeFormats = {{
    // symbol after the number
    {{{4, 5, 7, 6, 7},        // "(*$)" "-*$" "*$-" "*-$" "*$-"
      {15, 8, 10, 13, 10}}},  // "(* $)" "-* $" "* $-" "*- $" "* $-"
    // symbol before the number
    {{{0, 1, 3, 1, 2},         // "($*)" "-$*" "$*-" "-$*" "$-*"
      {14, 9, 11, 9, 12}}},    // "($ *)" "-$ *" "$ *-" "-$ *" "$ -*"
}};

int NegativeFormat(char csPrecedes, char sepBySpace, char signPosition) noexcept {
  if (csPrecedes == CHAR_MAX || sepBySpace == CHAR_MAX || signPosition == CHAR_MAX) return 0;
  // As unsigned: a negative value on a signed-char platform is out of range too.
  if (static_cast<unsigned char>(signPosition) > 4) return 0;
  return kNegativeFormats[csPrecedes != 0][sepBySpace != 0][static_cast<std::size_t>(signPosition)];
}

}  // namespace

LocaleSettings SettingsFromConventions(const std::lconv& conventions,
                                       const char* codeset) noexcept {
  LocaleSettings settings;
  settings.decimalSeparator = OneByteOr(conventions.decimal_point, settings.decimalSeparator);
  settings.thousandsSeparator = ThousandsSeparatorBeside(
      settings.decimalSeparator, OneByteOr(conventions.thousands_sep, settings.thousandsSeparator));
  ConvertCurrencySymbol(conventions.currency_symbol, codeset, settings.currencySymbol,
                        settings.currencySymbolUtf8);
  settings.positiveCurrencyFormat =
      PositiveFormat(conventions.p_cs_precedes, conventions.p_sep_by_space);
  settings.negativeCurrencyFormat = NegativeFormat(
      conventions.n_cs_precedes, conventions.n_sep_by_space, conventions.n_sign_posn);
  if (static_cast<unsigned char>(conventions.frac_digits) <= kMaxCurrencyDecimals) {
    settings.currencyDecimals = conventions.frac_digits;
  }
  return settings;
}

// Function-local statics, so that no other initialiser can see the settings
// before they are read...
const LocaleSettings& LoadedLocaleSettings(bool utf8) noexcept {
  static const LocaleSettings settings =
      SettingsFromConventions(*std::localeconv(), nl_langinfo(CODESET));
  static const LocaleSettings utf8Settings = [] {
    LocaleSettings copy = settings;
    std::memcpy(copy.currencySymbol, copy.currencySymbolUtf8, sizeof copy.currencySymbol);
    return copy;
  }();
  return utf8 ? utf8Settings : settings;
}

namespace {
// ...and this reference makes the read happen while the library is loaded,
// from whatever locale the process has then (normally the C locale, which
// supplies the defaults), not at the first formatting.
[[maybe_unused]] const LocaleSettings& kReadAtLoad = LoadedLocaleSettings(true);
}  // namespace

}  // namespace presentation
