#pragma once

#include "presentation/locale_settings.h"

namespace presentation {

// Converts a locale's currency symbol, given in the locale's character set
// (codeset as nl_langinfo(CODESET) names it), into its code page 932 and
// UTF-8 forms. The character sets understood are UTF-8 and code page 932;
// in any other, only a symbol of ASCII characters converts. Returns false,
// leaving both forms empty, when the symbol has a character neither form
// can hold or does not fit.
bool ConvertCurrencySymbol(const char* symbol, const char* codeset,
                           char (&cp932)[kCurrencySymbolSize],
                           char (&utf8)[kCurrencySymbolSize]) noexcept;

}  // namespace presentation
