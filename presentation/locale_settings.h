#pragma once

#include <clocale>

namespace presentation {

// The separators and currency settings the pattern formatter uses.
struct LocaleSettings {
  char decimalSeparator = '.';
  char thousandsSeparator = ',';
  char currencySymbol[16] = {};
  int positiveCurrencyFormat = 0;  // 0 to 3
  int negativeCurrencyFormat = 0;  // 0 to 15
  int currencyDecimals = 0;
};

// The settings read from the locale current when the library was loaded.
const LocaleSettings& LoadedLocaleSettings() noexcept;

// Maps the C library's numeric and monetary conventions onto the settings,
// keeping the defaults for whatever the conventions leave unset.
LocaleSettings SettingsFromConventions(const std::lconv& conventions) noexcept;

}  // namespace presentation
