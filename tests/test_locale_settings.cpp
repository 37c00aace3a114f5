#include <gtest/gtest.h>
#include <langinfo.h>

#include <array>
#include <climits>
#include <clocale>
#include <cstring>
#include <string>

#include "interface/call_state.h"
#include "presentation/currency_symbol.h"
#include "presentation/locale_settings.h"
#include "presentation/pattern.h"

namespace {

using presentation::LocaleSettings;
using presentation::SettingsFromConventions;

// The mapping of the C library's conventions onto the settings.
std::lconv CLocaleConventions() {
  std::lconv conventions{};
  static char empty[] = "";
  static char point[] = ".";
  conventions.decimal_point = point;
  conventions.thousands_sep = empty;
  conventions.grouping = empty;
  conventions.int_curr_symbol = empty;
  conventions.currency_symbol = empty;
  conventions.mon_decimal_point = empty;
  conventions.mon_thousands_sep = empty;
  conventions.mon_grouping = empty;
  conventions.positive_sign = empty;
  conventions.negative_sign = empty;
  conventions.int_frac_digits = CHAR_MAX;
  conventions.frac_digits = CHAR_MAX;
  conventions.p_cs_precedes = CHAR_MAX;
  conventions.p_sep_by_space = CHAR_MAX;
  conventions.n_cs_precedes = CHAR_MAX;
  conventions.n_sep_by_space = CHAR_MAX;
  conventions.p_sign_posn = CHAR_MAX;
  conventions.n_sign_posn = CHAR_MAX;
  return conventions;
}

void ExpectDefaults(const LocaleSettings& settings) {
  EXPECT_EQ(settings.decimalSeparator, '.');
  EXPECT_EQ(settings.thousandsSeparator, ',');
  EXPECT_STREQ(settings.currencySymbol, "");
  EXPECT_STREQ(settings.currencySymbolUtf8, "");
  EXPECT_EQ(settings.positiveCurrencyFormat, 0);
  EXPECT_EQ(settings.negativeCurrencyFormat, 0);
  EXPECT_EQ(settings.currencyDecimals, 0);
}

std::string Formatted(const char* pattern, double value, const LocaleSettings& settings) {
  std::array<char, interface::kOutputTextSize> text{};
  if (!presentation::FormatByPattern(text.data(), pattern, value, settings)) return "<refused>";
  return text.data();
}

TEST(LocaleSettings, CLocaleGivesTheDefaults) {
  ExpectDefaults(SettingsFromConventions(CLocaleConventions(), "ANSI_X3.4-1968"));
  // The test program never changes its locale, so the settings read at load
  // come from the C locale too.
  ExpectDefaults(presentation::LoadedLocaleSettings());
}

TEST(LocaleSettings, TakesOneByteSeparatorsAndTheCurrencyForms) {
  std::lconv conventions = CLocaleConventions();
  char comma[] = ",";
  char dot[] = ".";
  char pound[] = "\xC2\xA3";
  conventions.decimal_point = comma;
  conventions.thousands_sep = dot;
  conventions.currency_symbol = pound;
  conventions.frac_digits = 2;
  conventions.p_cs_precedes = 0;
  conventions.p_sep_by_space = 1;
  conventions.n_cs_precedes = 0;
  conventions.n_sep_by_space = 1;
  conventions.n_sign_posn = 1;
  const LocaleSettings settings = SettingsFromConventions(conventions, "UTF-8");
  EXPECT_EQ(settings.decimalSeparator, ',');
  EXPECT_EQ(settings.thousandsSeparator, '.');
  EXPECT_STREQ(settings.currencySymbol, "\x81\x92");
  EXPECT_STREQ(settings.currencySymbolUtf8, pound);
  EXPECT_EQ(settings.currencyDecimals, 2);
  EXPECT_EQ(settings.positiveCurrencyFormat, 3);  // "* $"
  EXPECT_EQ(settings.negativeCurrencyFormat, 8);  // "-* $"
}

TEST(LocaleSettings, LongerSeparatorsAndSymbolsFallBack) {
  std::lconv conventions = CLocaleConventions();
  char narrowNoBreakSpace[] = "\xE2\x80\xAF";
  char longSymbol[] = "ABCDEFGHIJKLMNOP";  // 16 bytes: no room for the NUL
  conventions.decimal_point = narrowNoBreakSpace;
  conventions.thousands_sep = narrowNoBreakSpace;
  conventions.currency_symbol = longSymbol;
  ExpectDefaults(SettingsFromConventions(conventions, "UTF-8"));
}

// Grouped numbers must read back: the separators never coincide.
TEST(LocaleSettings, SeparatorsNeverCoincide) {
  const struct {
    const char* decimal;
    const char* thousands;
    char expectedDecimal, expectedThousands;
  } cases[] = {
      {",", "\xE2\x80\xAF", ',', ' '},  // the default "," would be the decimal comma
      {",", "", ',', ' '},
      {",", ",", ',', ' '},
      {"\xD9\xAB", ".", '.', ' '},  // a multi-byte decimal point falls back onto "."
      {",", ".", ',', '.'},
      {".", "\xE2\x80\xAF", '.', ','},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.decimal << "|" << c.thousands);
    std::lconv conventions = CLocaleConventions();
    conventions.decimal_point = const_cast<char*>(c.decimal);
    conventions.thousands_sep = const_cast<char*>(c.thousands);
    const LocaleSettings settings = SettingsFromConventions(conventions, "UTF-8");
    EXPECT_EQ(settings.decimalSeparator, c.expectedDecimal);
    EXPECT_EQ(settings.thousandsSeparator, c.expectedThousands);
  }
}

TEST(LocaleSettings, CurrencySymbolConversion) {
  constexpr const char* kYen5Utf8 = "\xEF\xBF\xA5\xEF\xBF\xA5\xEF\xBF\xA5\xEF\xBF\xA5\xEF\xBF\xA5";
  constexpr const char* kYen5Cp932 = "\x81\x8F\x81\x8F\x81\x8F\x81\x8F\x81\x8F";
  const struct {
    const char* symbol;
    const char* codeset;
    const char* cp932;  // "": no form
    const char* utf8;
  } cases[] = {
      {"$", "ANSI_X3.4-1968", "$", "$"},
      {"R$", "UTF-8", "R$", "R$"},
      {"\xEF\xBF\xA5", "UTF-8", "\x81\x8F", "\xEF\xBF\xA5"},  // full-width yen
      {"\xC2\xA5", "utf8", "\x5C", "\xC2\xA5"},               // yen sign: the byte shown as yen
      {"\xEF\xBC\x84", "UTF-8", "\x81\x90", "\xEF\xBC\x84"},  // full-width dollar
      {"\xC2\xA2", "UTF-8", "\x81\x91", "\xC2\xA2"},
      {"\xD1\x80\xD1\x83\xD0\xB1", "UTF-8", "\x84\x82\x84\x85\x84\x71", "\xD1\x80\xD1\x83\xD0\xB1"},
      {"\xD0\xBB\xD0\xB2.", "UTF-8", "\x84\x7C\x84\x72.", "\xD0\xBB\xD0\xB2."},
      {"\xD0\x81\xD1\x91", "UTF-8", "\x84\x46\x84\x76", "\xD0\x81\xD1\x91"},  // the odd ones out
      {"\xE2\x82\xAC", "UTF-8", "", "\xE2\x82\xAC"},  // euro: UTF-8 only
      {"K\xC4\x8D", "UTF-8", "", "K\xC4\x8D"},
      {"\xC2", "UTF-8", "", ""},          // cut short
      {"\xC1\x84", "UTF-8", "", ""},      // overlong "D"
      {"\xE0\x82\xA3", "UTF-8", "", ""},  // overlong pound
      {"\x81\x8F", "SHIFT_JIS", "\x81\x8F", "\xEF\xBF\xA5"},
      {"\x81\x91", "CP932", "\x81\x91", "\xEF\xBF\xA0"},  // read back as the full-width cent
      {"\\", "SJIS", "\\", "\\"},
      {"\xB1", "SJIS", "\xB1", ""},  // half-width katakana: no UTF-8 form in the table
      {"\x81", "SJIS", "", ""},
      {"\xA4", "ISO-8859-15", "", ""},  // euro in a character set we do not convert
      {kYen5Utf8, "UTF-8", kYen5Cp932, kYen5Utf8},  // 15 bytes: the most there is room for
      {"\xEF\xBF\xA5\xEF\xBF\xA5\xEF\xBF\xA5\xEF\xBF\xA5\xEF\xBF\xA5\xEF\xBF\xA5", "UTF-8",
       "\x81\x8F\x81\x8F\x81\x8F\x81\x8F\x81\x8F\x81\x8F", ""},  // 12 bytes fit, 18 do not
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.codeset << " " << c.symbol);
    char cp932[presentation::kCurrencySymbolSize] = "x";
    char utf8[presentation::kCurrencySymbolSize] = "x";
    presentation::ConvertCurrencySymbol(c.symbol, c.codeset, cp932, utf8);
    EXPECT_STREQ(cp932, c.cp932);
    EXPECT_STREQ(utf8, c.utf8);
  }
}

TEST(LocaleSettings, MapsSymbolPositionSpacingAndSign) {
  const struct {
    char csPrecedes, sepBySpace, signPosition;
    int positive, negative;
  } cases[] = {
      {1, 0, 0, 0, 0},   // "$*"  "($*)"
      {1, 0, 1, 0, 1},   //       "-$*"
      {1, 0, 2, 0, 3},   //       "$*-"
      {1, 0, 4, 0, 2},   //       "$-*"
      {0, 0, 0, 1, 4},   // "*$"  "(*$)"
      {0, 0, 3, 1, 6},   //       "*-$"
      {1, 1, 1, 2, 9},   // "$ *" "-$ *"
      {1, 1, 4, 2, 12},  //       "$ -*"
      {1, 1, 0, 2, 14},  //       "($ *)"
      {0, 1, 2, 3, 10},  // "* $" "* $-"
      {0, 1, 3, 3, 13},  //       "*- $"
      {0, 1, 0, 3, 15},  //       "(* $)"
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << int{c.csPrecedes} << int{c.sepBySpace}
                                    << int{c.signPosition});
    std::lconv conventions = CLocaleConventions();
    conventions.p_cs_precedes = conventions.n_cs_precedes = c.csPrecedes;
    conventions.p_sep_by_space = conventions.n_sep_by_space = c.sepBySpace;
    conventions.n_sign_posn = c.signPosition;
    const LocaleSettings settings = SettingsFromConventions(conventions, "UTF-8");
    EXPECT_EQ(settings.positiveCurrencyFormat, c.positive);
    EXPECT_EQ(settings.negativeCurrencyFormat, c.negative);
  }
}

// The settings of real locales, as the library reads them. The locales are
// made by the CI script (localedef); a machine without them skips.
class InstalledLocale : public testing::Test {
 protected:
  void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

  bool Use(const char* name) { return std::setlocale(LC_ALL, name) != nullptr; }

  static LocaleSettings Settings() {
    return SettingsFromConventions(*std::localeconv(), nl_langinfo(CODESET));
  }

 private:
  std::string saved_ = std::setlocale(LC_ALL, nullptr);
};

TEST_F(InstalledLocale, FrenchGroupsWithABlank) {
  if (!Use("fr_FR.UTF-8")) GTEST_SKIP() << "fr_FR.UTF-8 is not installed";
  const LocaleSettings settings = Settings();
  EXPECT_EQ(Formatted("%n", 1234.5, settings), "1 234,50");
  // The euro has no code page 932 form: no symbol there.
  EXPECT_STREQ(settings.currencySymbol, "");
  EXPECT_STREQ(settings.currencySymbolUtf8, "\xE2\x82\xAC");
  EXPECT_EQ(Formatted("%m", 1234.5, settings), "1 234,50 ");
}

TEST_F(InstalledLocale, JapaneseYenInCodePage932) {
  if (!Use("ja_JP.UTF-8")) GTEST_SKIP() << "ja_JP.UTF-8 is not installed";
  const LocaleSettings settings = Settings();
  EXPECT_STREQ(settings.currencySymbol, "\x81\x8F");
  EXPECT_STREQ(settings.currencySymbolUtf8, "\xEF\xBF\xA5");
  EXPECT_EQ(Formatted("%m", -1234, settings), "\x81\x8F-1,234");
}

TEST_F(InstalledLocale, GermanKeepsItsSeparators) {
  if (!Use("de_DE.UTF-8")) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  EXPECT_EQ(Formatted("%n", 1234567.891, Settings()), "1.234.567,89");
}

}  // namespace
