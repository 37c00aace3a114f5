#pragma once

#include "presentation/locale_settings.h"

namespace presentation {

// Converts a locale's currency symbol, given in the locale's character set
// (codeset as nl_langinfo(CODESET) names it), into its code page 932 and
// UTF-8 forms. The character sets understood are UTF-8 and code page 932;
// in any other, only a symbol of ASCII characters converts. A form is left
// empty when the symbol has a character it cannot hold (the euro has no
// code page 932 form) or does not fit; both are when the symbol is not
// well-formed in its character set.
void ConvertCurrencySymbol(const char* symbol, const char* codeset,
                           char (&cp932)[kCurrencySymbolSize],
                           char (&utf8)[kCurrencySymbolSize]) noexcept;

}  // namespace presentation
