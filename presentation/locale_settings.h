#pragma once

#include <clocale>

namespace presentation {

inline constexpr int kCurrencySymbolSize = 16;  // 15 bytes of symbol and a NUL

// The separators and currency settings the pattern formatter uses.
struct LocaleSettings {
  char decimalSeparator = '.';
  char thousandsSeparator = ',';        // never equal to decimalSeparator
  char currencySymbol[kCurrencySymbolSize] = {};      // in code page 932
  char currencySymbolUtf8[kCurrencySymbolSize] = {};  // the same symbol in UTF-8
  int positiveCurrencyFormat = 0;  // 0 to 3
  int negativeCurrencyFormat = 0;  // 0 to 15
  int currencyDecimals = 0;
};

// The settings read from the locale current when the library was loaded;
// for a context writing UTF-8, currencySymbol holds the UTF-8 form.
const LocaleSettings& LoadedLocaleSettings(bool utf8 = false) noexcept;

// Maps the C library's numeric and monetary conventions onto the settings,
// keeping the defaults for whatever the conventions leave unset. codeset is
// the locale's character set (nl_langinfo(CODESET)); the currency symbol is
// converted from it, and one that cannot be converted is left empty.
LocaleSettings SettingsFromConventions(const std::lconv& conventions,
                                       const char* codeset) noexcept;

}  // namespace presentation
