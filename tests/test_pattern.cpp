#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "interface/call_state.h"
#include "presentation/locale_settings.h"
#include "presentation/pattern.h"

namespace {

using presentation::FormatByPattern;
using presentation::FormatPattern;
using presentation::LocaleSettings;

static_assert(presentation::kPatternDestinationSize == interface::kOutputTextSize);
static_assert(presentation::kPatternLength == interface::kFormatTextLength);

// The destination stands in for the 52-byte output text inside a larger
// block, so a write past byte 51 shows up in the sentinel bytes after it.
constexpr std::size_t kBlockSize = 64;
constexpr char kSentinel = '\x5A';

struct Destination {
  std::array<char, kBlockSize> bytes{};

  Destination() {
    bytes.fill(kSentinel);
    bytes[0] = '\0';  // the empty text a successful evaluation leaves
  }
  char* data() { return bytes.data(); }
  std::string Text() const { return std::string(bytes.data()); }
  bool TailUntouched() const {
    for (std::size_t i = presentation::kPatternDestinationSize; i < kBlockSize; ++i) {
      if (bytes[i] != kSentinel) return false;
    }
    return true;
  }
  bool Untouched() const { return bytes == Destination().bytes; }
};

// A row: the pattern, the value, and the text written, or nullptr where the
// pattern cannot take the value (false, nothing written).
struct Row {
  const char* name;
  const char* pattern;
  double value;
  const char* expected;
};

void PrintTo(const Row& row, std::ostream* os) { *os << row.name; }

void ExpectRow(const Row& row, const LocaleSettings& settings) {
  Destination destination;
  const bool written = FormatByPattern(destination.data(), row.pattern, row.value, settings);
  if (row.expected == nullptr) {
    EXPECT_FALSE(written) << "wrote \"" << destination.Text() << '"';
    EXPECT_TRUE(destination.Untouched());
  } else {
    EXPECT_TRUE(written);
    EXPECT_EQ(destination.Text(), row.expected);
    EXPECT_TRUE(destination.TailUntouched());
  }
}

class PatternRows : public testing::TestWithParam<Row> {};

TEST_P(PatternRows, WritesTheExpectedText) { ExpectRow(GetParam(), LocaleSettings{}); }

std::string RowName(const testing::TestParamInfo<Row>& info) { return info.param.name; }

const std::string k32Ones(32, '1');
const std::string k31OnesThenZero = std::string(31, '1') + "0";

// The documented edge cases, row for row.
const Row kEdgeCaseRows[] = {
    {"TruncatesPositive", "%d", 2.7, "2"},
    {"TruncatesNegative", "%d", -2.7, "-2"},
    {"WidthPadsInFront", "%5d", 42, "   42"},
    {"MinusAlignsLeft", "%-5d|", 42, "42   |"},
    {"ZeroFill", "%05d", 42, "00042"},
    {"ZeroFillLeavesMinus", "%05d", -42, "00-42"},
    {"Hex", "%x", 255, "FF"},
    {"HexZeroFill", "%08x", 255, "000000FF"},
    {"UnsignedOfMinusOne", "%u", -1, "4294967295"},
    {"Binary", "%b", 5, "101"},
    {"BinaryWidth", "%8b", 5, "     101"},
    {"BinaryZeroFill", "%08b", 5, "00000101"},
    {"BinaryIgnoresMinus", "%-8b", 5, "     101"},
    {"BinaryZero", "%b", 0, "0"},
    {"BinaryMinusOne", "%b", -1, k32Ones.c_str()},
    {"BinaryAfterText", "x=%4b", 5, "x= 101"},
    {"BinaryZeroFillAfterText", "x=%04b", 5, "x=0101"},
    {"DecimalOutOfRange", "%d", 3000000000.0, nullptr},
    {"BinaryRangeTestsTheDouble", "%b", 2147483647.5, nullptr},
    {"DecimalLowestInRange", "%d", -2147483648.0, "-2147483648"},
    {"FixedDefaultDecimals", "%f", 3.14159, "3.14"},
    {"FixedWidthPrecision", "%8.3f", 3.14159, "   3.142"},
    {"FixedZeroFill", "%08.3f", 3.14159, "0003.142"},
    {"FixedZeroFillLeavesMinus", "%08.3f", -3.14159, "00-3.142"},
    {"FixedDropsSignOfZeroResult", "%.2f", -0.001, "0.00"},
    {"GeneralZero", "%g", 0, "0"},
    {"FixedAbove18DigitsIsGeneral", "%f", 1e20, "1E20"},
    {"Exponent", "%e", 1234.5, "1.23450000000000E+003"},
    {"GeneralSmallIsExponent", "%g", 0.00001234, "1.234E-5"},
    {"NumberGroups", "%n", 1234567.891, "1,234,567.89"},
    {"NoPercent", "abc", 1, ""},
    {"LonePercent", "%", 1, ""},
    {"TrailingPercent", "100%", 1, "100"},
    {"PercentPercent", "%%", 1, "%"},
    {"EndsInsideConversion", "%5", 1, ""},
};
INSTANTIATE_TEST_SUITE_P(EdgeCases, PatternRows, testing::ValuesIn(kEdgeCaseRows), RowName);

// Rows that catch what the edge cases do not.
const Row kConversionRows[] = {
    // Every letter in upper case (lower case is in the rows above).
    {"UpperD", "%D", 42, "42"},
    {"UpperU", "%U", -1, "4294967295"},
    {"UpperX", "%X", 3054, "BEE"},
    {"UpperB", "%B", 6, "110"},
    {"UpperE", "%E", 1234.5, "1.23450000000000E+003"},
    {"UpperF", "%F", 3.14159, "3.14"},
    {"UpperG", "%G", 1234.5, "1234.5"},
    {"UpperN", "%N", 1234567.891, "1,234,567.89"},
    {"UpperM", "%M", -1234.5, "(1,235)"},
    {"LowerM", "%m", 1234.5, "1,235"},

    // Integers: truncation, the full range, precision as minimum digits.
    {"DecimalHighestInRange", "%d", 2147483647, "2147483647"},
    {"DecimalBelowRange", "%d", -2147483648.5, nullptr},
    {"NaNIsOutOfRange", "%x", std::numeric_limits<double>::quiet_NaN(), nullptr},
    {"TruncatesToZeroWithoutSign", "%d", -0.5, "0"},
    {"UnsignedOfLowest", "%u", -2147483648.0, "2147483648"},
    {"HexOfMinusOne", "%x", -1, "FFFFFFFF"},
    {"PrecisionZerosAfterSign", "%.4d", -42, "-0042"},
    {"PrecisionOnHex", "%.4x", 255, "00FF"},
    {"Precision15AddsZeros", "%.15d", 42, "000000000000042"},
    {"Precision16AddsNone", "%.16d", 42, "42"},
    {"PrecisionZeroKeepsTheDigit", "%.0d", 0, "0"},
    {"IndexZero", "%0:d", 42, "42"},
    {"IndexZeroWithLeadingZero", "%00:d", 42, "42"},
    {"IndexThenMinus", "%0:-5d|", 42, "42   |"},
    // The byte after "%" decides the zero fill, so the index's "0" fills too.
    {"IndexZeroAlsoZeroFills", "%0:5d", 42, "00042"},
    {"LiteralTextAroundField", "<%d>", -7, "<-7>"},
    {"PercentPercentAfterField", "%d%%", 50, "50%"},

    // Binary: its own width, blind to signs and precision.
    {"BinaryNegative", "%b", -2, k31OnesThenZero.c_str()},
    {"BinaryTruncates", "%b", -0.9, "0"},
    {"BinaryIgnoresPlusAndPrecision", "%+5.1b", 5, "  101"},
    {"BinaryTextBehind", "%4b|", 2, "  10|"},
    // The selector search starts right after "%", so "%%b" still converts.
    {"SelectorLooksPastPercentPercent", "%%b", 5, "101"},
    {"PercentPercentThenLetter", "%%d", 1, "%d"},

    // Floating: the first rounding is to 18 digits ties-to-even, the second
    // half up. 1016.005 is 1016.00499999999999545... as a double: its 18
    // digits end in ...500000, which then rounds up.
    {"SecondRoundingSeesEighteenDigits", "%.2f", 1016.005, "1016.01"},
    {"ExactBinaryTieRoundsUp", "%.2f", 0.125, "0.13"},
    {"ExactBinaryTie375", "%.2f", 0.375, "0.38"},
    {"DecimalLookingTieBelow", "%.2f", 2.675, "2.67"},
    // 9.995 is 9.99499999999999922... as a double: no carry.
    {"NineNineNineFiveStaysBelow", "%.2f", 9.995, "9.99"},
    {"CarryAddsADigit", "%.2f", 99.995, "100.00"},
    {"CarryIntoExponent", "%.3e", 9.9999, "1.00E+001"},
    {"HalfRoundsUpAtZeroDigits", "%.0f", 2.5, "3"},
    {"KZeroRoundsToOne", "%.0f", 0.5, "1"},
    {"KZeroRoundsToOneDecimal", "%.3f", 0.0005, "0.001"},
    {"KBelowZeroIsZero", "%.2f", 0.0004, "0.00"},
    {"NegativeKeptAfterCarry", "%.1f", -0.05, "-0.1"},
    {"NegativeZero", "%f", -0.0, "0.00"},
    {"FixedEighteenDecimals", "%.18f", 0.1, "0.100000000000000006"},
    {"FixedPrecisionOver18IsDefault", "%.19f", 3.14159, "3.14"},
    {"FixedPrecisionSaturates", "%.9999f", 3.14159, "3.14"},
    {"FixedDotWithoutDigits", "%.f", 3.6, "4"},
    {"FixedEighteenIntegerDigits", "%f", 123456789012345678.0, "123456789012345680.00"},
    {"FixedAt10To18IsGeneral", "%f", 1e18, "1E18"},
    {"FixedNegativeHuge", "%f", -1e20, "-1E20"},
    {"FixedLeftAligned", "%-6.1f|", 2.25, "2.3   |"},

    {"ExponentZero", "%e", 0, "0.00000000000000E+000"},
    {"ExponentNegative", "%e", -0.00001, "-1.00000000000000E-005"},
    {"ExponentPrecisionOneCountsAsTwo", "%.1e", 1234.5, "1.2E+003"},
    {"ExponentPrecisionOver18IsDefault", "%.20e", 2, "2.00000000000000E+000"},
    {"ExponentEighteenDigits", "%.18e", 0.1, "1.00000000000000006E-001"},
    {"ExponentThreeDigits", "%.3e", 1e300, "1.00E+300"},

    {"GeneralFixed", "%g", 1234.5, "1234.5"},
    {"GeneralFifteenDigitsFixed", "%g", 123456789012345, "123456789012345"},
    {"GeneralSixteenDigitsExponent", "%g", 1e15, "1E15"},
    {"GeneralCarryCrossesBoundary", "%g", 999999999999999.9, "1E15"},
    {"GeneralTrailingZerosFixed", "%g", 1e14, "100000000000000"},
    {"GeneralSmallestFixed", "%g", 0.0001234, "0.0001234"},
    {"GeneralBelowIsExponent", "%g", 0.00001, "1E-5"},
    {"GeneralNegative", "%g", -0.5, "-0.5"},
    {"GeneralPrecisionThree", "%.3g", 1234.5, "1.23E3"},
    {"GeneralPrecisionThreeCarry", "%.3g", 999.5, "1E3"},
    {"GeneralPrecisionThreeFits", "%.3g", 123, "123"},
    {"GeneralPrecisionZeroCountsAsTwo", "%.0g", 1234.5, "1.2E3"},
    {"GeneralLargeExponent", "%g", 1.5e300, "1.5E300"},

    {"NumberCarryAddsGroup", "%n", 999.999, "1,000.00"},
    {"NumberNoDecimals", "%.0n", 1234567, "1,234,567"},
    {"NumberBelowThousand", "%n", 123, "123.00"},
    {"NumberNegative", "%n", -1234.5, "-1,234.50"},
    {"NumberBelowOne", "%n", 0.5, "0.50"},
    {"NumberHugeIsGeneral", "%n", 1e19, "1E19"},

    {"MoneyDefaultDecimals", "%m", 1234.4, "1,234"},
    {"MoneyPrecision", "%.2m", 1234.5, "1,234.50"},
    {"MoneyNegativeDefaultForm", "%m", -2, "(2)"},
    {"MoneyZeroResultIsPositive", "%m", -0.4, "0"},
    {"MoneyWidth", "%8m|", -2, "     (2)|"},

    // Refused: the pattern formatter finds no conversion that fits.
    {"TextMeetsFloating", "%s", 1, nullptr},
    {"PlusAfterPercent", "%+d", 1, nullptr},
    {"PlusBeforeFloating", "%+f", 1, nullptr},
    {"BlankAfterPercent", "% d", 1, nullptr},
    {"StarWidth", "%*d", 1, nullptr},
    {"StarPrecision", "%.*f", 1, nullptr},
    {"IndexOne", "%1:d", 1, nullptr},
    {"SecondConversion", "%d%d", 1, nullptr},
    {"SecondAfterBinary", "%b%d", 1, nullptr},
    {"UnlistedLetter", "%q", 1, nullptr},
    {"LengthModifier", "%ld", 1, nullptr},
    {"BracketSelector", "%[", 1, nullptr},
    {"DoubleMinus", "%--5d", 1, nullptr},
    {"MinusBeforeIndex", "%-0:d", 1, nullptr},
    {"InfinityRefused", "%f", std::numeric_limits<double>::infinity(), nullptr},
    // A second conversion that the pattern cuts short asks for no value.
    {"SecondConversionCutShort", "%d%", 42, "42"},
    {"AfterWidthCutShort", "ab%-5", 1, "ab"},
    {"AfterDotCutShort", "%5.", 1, ""},
    {"AfterIndexCutShort", "%0:", 1, ""},
    // Longer patterns are cut to the 7 bytes a format text keeps.
    {"PatternCutToSevenBytes", "%d abcdef", 1, "1 abcd"},
};
INSTANTIATE_TEST_SUITE_P(Conversions, PatternRows, testing::ValuesIn(kConversionRows), RowName);

const std::string kBlanks47ThenOne = std::string(47, ' ') + "1.00";
const std::string kAbBlanks45ThenOne = "ab" + std::string(45, ' ') + "1.00";
const std::string kBlanks36Then101 = std::string(36, ' ') + "101";
const std::string kZeros36Then101 = std::string(36, '0') + "101";

// Widths and fields at the limits of the destination and the binary field.
const Row kLimitRows[] = {
    {"FieldOfFiftyOne", "%51f", 1, kBlanks47ThenOne.c_str()},
    {"FieldOfFiftyTwo", "%52f", 1, nullptr},
    {"WidthSixty", "%60f", 1, nullptr},
    {"TextBeforeFieldCounts", "ab%49f", 1, kAbBlanks45ThenOne.c_str()},
    {"TextBeforeFieldOverflows", "ab%50f", 1, nullptr},
    {"LeftAlignedOverflows", "%-60d", 1, nullptr},
    {"WidthSaturates", "%99999d", 1, nullptr},
    {"BinaryOf39", "%39b", 5, kBlanks36Then101.c_str()},
    {"BinaryOf40", "%40b", 5, nullptr},
    {"BinaryOf39ZeroFilled", "%039b", 5, kZeros36Then101.c_str()},
    {"NegativeBinaryWidthAddsNone", "%--9b", 5, "101"},
};
INSTANTIATE_TEST_SUITE_P(Limits, PatternRows, testing::ValuesIn(kLimitRows), RowName);

TEST(PatternWithoutPercent, LeavesTheDestinationAsItWas) {
  Destination destination;
  std::strcpy(destination.data(), "kept");
  EXPECT_TRUE(FormatByPattern(destination.data(), "abc", 1, LocaleSettings{}));
  EXPECT_EQ(destination.Text(), "kept");
}

// Currency forms and separators through an injected settings object.
struct SettingsRow {
  const char* name;
  const char* pattern;
  double value;
  int positiveFormat;
  int negativeFormat;
  const char* expected;
};

void PrintTo(const SettingsRow& row, std::ostream* os) { *os << row.name; }

class PatternCurrency : public testing::TestWithParam<SettingsRow> {};

TEST_P(PatternCurrency, PlacesNumberAndSymbol) {
  const SettingsRow& row = GetParam();
  LocaleSettings settings;
  std::strcpy(settings.currencySymbol, "$");
  settings.currencyDecimals = 2;
  settings.positiveCurrencyFormat = row.positiveFormat;
  settings.negativeCurrencyFormat = row.negativeFormat;
  ExpectRow({row.name, row.pattern, row.value, row.expected}, settings);
}

const SettingsRow kCurrencyRows[] = {
    {"Positive0", "%m", 1234.5, 0, 0, "$1,234.50"},
    {"Positive1", "%m", 1234.5, 1, 0, "1,234.50$"},
    {"Positive2", "%m", 1234.5, 2, 0, "$ 1,234.50"},
    {"Positive3", "%m", 1234.5, 3, 0, "1,234.50 $"},
    {"PositiveAboveLastIsLast", "%m", 1, 7, 0, "1.00 $"},
    {"Negative0", "%m", -1.5, 0, 0, "($1.50)"},
    {"Negative1", "%m", -1.5, 0, 1, "-$1.50"},
    {"Negative2", "%m", -1.5, 0, 2, "$-1.50"},
    {"Negative3", "%m", -1.5, 0, 3, "$1.50-"},
    {"Negative4", "%m", -1.5, 0, 4, "(1.50$)"},
    {"Negative5", "%m", -1.5, 0, 5, "-1.50$"},
    {"Negative6", "%m", -1.5, 0, 6, "1.50-$"},
    {"Negative7", "%m", -1.5, 0, 7, "1.50$-"},
    {"Negative8", "%m", -1.5, 0, 8, "-1.50 $"},
    {"Negative9", "%m", -1.5, 0, 9, "-$ 1.50"},
    {"Negative10", "%m", -1.5, 0, 10, "1.50 $-"},
    {"Negative11", "%m", -1.5, 0, 11, "$ 1.50-"},
    {"Negative12", "%m", -1.5, 0, 12, "$ -1.50"},
    {"Negative13", "%m", -1.5, 0, 13, "1.50- $"},
    {"Negative14", "%m", -1.5, 0, 14, "($ 1.50)"},
    {"Negative15", "%m", -1.5, 0, 15, "(1.50 $)"},
    {"NegativeAboveLastIsLast", "%m", -1.5, 0, 99, "(1.50 $)"},
    {"PrecisionOverridesDecimals", "%.0m", -1.5, 0, 1, "-$2"},
    {"ZeroFillBeforeSymbol", "%09m", 1.5, 0, 0, "0000$1.50"},
    {"HugeIsGeneralWithoutSymbol", "%m", -1e20, 0, 1, "-1E20"},
};
std::string SettingsRowName(const testing::TestParamInfo<SettingsRow>& info) {
  return info.param.name;
}
INSTANTIATE_TEST_SUITE_P(Forms, PatternCurrency, testing::ValuesIn(kCurrencyRows), SettingsRowName);

TEST(PatternSeparators, ComeFromTheSettings) {
  LocaleSettings settings;
  settings.decimalSeparator = ',';
  settings.thousandsSeparator = '.';
  std::strcpy(settings.currencySymbol, "EUR");
  settings.currencyDecimals = 2;
  settings.positiveCurrencyFormat = 3;
  settings.negativeCurrencyFormat = 8;
  const Row rows[] = {
      {"Number", "%n", 1234567.891, "1.234.567,89"},
      {"Fixed", "%.1f", 1234.25, "1234,3"},
      {"Exponent", "%.3e", 1234.5, "1,23E+003"},
      {"General", "%g", 0.5, "0,5"},
      {"MoneyPositive", "%m", 1234.5, "1.234,50 EUR"},
      {"MoneyNegative", "%m", -1234.5, "-1.234,50 EUR"},
      {"IntegersUntouched", "%d", 1234567, "1234567"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ExpectRow(row, settings);
  }
}

TEST(PatternSeparators, LongCurrencyResultIsRefused) {
  LocaleSettings settings;
  std::strcpy(settings.currencySymbol, "ABCDEFGHIJKLMNO");  // 15 bytes, the most it holds
  // 18 digits, 5 group separators, the point and 18 decimals are 42 bytes.
  ExpectRow({"FitsWithoutSymbol", "%.18n", 123456789012345678.0,
             "123,456,789,012,345,680.000000000000000000"},
            settings);
  ExpectRow({"SymbolMakesIt57", "%.18m", 123456789012345678.0, nullptr}, settings);
}

// The pattern formatter on its own: the text conversion and the value kinds.
std::string FormatTextValue(const char* pattern, std::string_view text) {
  Destination destination;
  if (!FormatPattern(destination.data(), pattern, text, LocaleSettings{})) return "<refused>";
  return destination.Text();
}

TEST(PatternFormatter, TextIsCutToThePrecision) {
  EXPECT_EQ(FormatTextValue("[%.2s]", "abcdef"), "[ab]");
  EXPECT_EQ(FormatTextValue("%-8s|", "abc"), "abc     |");
  EXPECT_EQ(FormatTextValue("%.9s", "abc"), "abc");
  EXPECT_EQ(FormatTextValue("%.s|", "abc"), "|");
}

TEST(PatternFormatter, RefusesALetterOfAnotherKind) {
  const struct {
    const char* pattern;
    presentation::PatternValue value;
  } cases[] = {
      {"%d", 1.0},
      {"%f", std::int32_t{1}},
      {"%s", std::int32_t{1}},
      {"%x", std::string_view("1")},
      {"%g", std::string_view("1")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    Destination destination;
    EXPECT_FALSE(FormatPattern(destination.data(), c.pattern, c.value, LocaleSettings{}));
    EXPECT_TRUE(destination.Untouched());
  }
}

}  // namespace
