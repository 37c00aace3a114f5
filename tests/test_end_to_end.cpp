// Whole evaluations that cross the pieces: full-width input, keywords and
// rounding by format, as a host sees them.
#include <gtest/gtest.h>

#include "evaluation_fixture.h"
#include "interface/call_state.h"

namespace {

using namespace interface::error_code;

struct Row {
  const char* name;
  const char* format;
  const char* expression;  // code page 932 bytes
  std::int32_t code;
  const char* text;  // what evalos returns
};

void Check(const Row& row) {
  SCOPED_TRACE(row.name);
  const Outcome out = EvaluateWith(row.format, row.expression);
  EXPECT_EQ(out.code, row.code);
  EXPECT_EQ(out.text, row.text);
}

TEST(EndToEnd, FullWidthInputUnderNumericFormats) {
  const Row rows[] = {
      // （１＋２）＊ＳＩＮ３０ under 5.2: sin(30) = -0.9880316241, times 3
      {"overview_example", "5.2", "\x81\x69\x82\x50\x81\x7B\x82\x51\x81\x6A\x81\x96\x82\x72\x82\x68\x82\x6D\x82\x52\x82\x4F",
       kNone, "-2.96"},
      // （１．５）＊２
      {"point_and_brackets", "5.2", "\x81\x69\x82\x50\x81\x44\x82\x54\x81\x6A\x81\x96\x82\x51", kNone, "3"},
      // １，２３４＋１
      {"full_width_comma", "", "\x82\x50\x81\x43\x82\x51\x82\x52\x82\x53\x81\x7B\x82\x50", kNone, "1235"},
      // 1＋2＝5: the full-width equals sign cuts too
      {"full_width_equals", "", "1\x81\x7B" "2\x81\x81" "5", kNone, "3"},
      // ｓｉｎ（０）
      {"small_full_width_letters", "", "\x82\x93\x82\x89\x82\x8E\x81\x69\x82\x4F\x81\x6A", kNone, "0"},
      {"control_blanks", "", "1\t+\r\n2", kNone, "3"},
      // the full-width space, × and ÷ stay and are no keywords
      {"full_width_space", "", "1\x81\x40+2", kSyntax, "Err.Syntax"},
      {"times_sign", "", "2\x81\x7E" "3", kSyntax, "Err.Syntax"},
      {"division_sign", "", "6\x81\x80" "3", kSyntax, "Err.Syntax"},
      {"root_sign", "", "\x81\xE3" "9", kNone, "3"},
      {"small_pi_times_two", "3", "2*\x83\xCE", kNone, "6.28"},
      {"blank_format_rounds_to_14", " ", "0.1+0.2", kNone, "0.3"},
      {"format_rounds_significant_digits", "3", "123456", kNone, "123000"},
      {"decimals_lose_to_digits", "5.2", "123456.789", kNone, "123460"},
      {"error_is_not_rounded", "5.2", "1/0", kMath, "Err.Math"},
  };
  for (const Row& row : rows) Check(row);
}

TEST(EndToEnd, NumericFormatRoundsTheReturnedValue) {
  EXPECT_EQ(EvaluateWith("1", "2.5").value, 3);
  EXPECT_EQ(EvaluateWith("1", "-2.5").value, -3);
  EXPECT_EQ(Bits(EvaluateWith("5.2", "0-0").value), Bits(0.0));  // either zero gives +0
  EXPECT_EQ(Bits(EvaluateWith("", "0/-5").value), Bits(-0.0));    // unless the format is empty
  // A pattern leaves the value unrounded.
  EXPECT_EQ(Bits(EvaluateWith("%.2f", "1/3").value), Bits(1.0 / 3));
}

TEST(EndToEnd, KeywordsAreWholeUpperCasedWords) {
  const Row rows[] = {
      {"lower_case", "", "sin 0", kNone, "0"},
      {"upper_case", "", "SIN 0", kNone, "0"},
      {"mixed_case", "", "Sin(0)", kNone, "0"},
      {"digits_end_a_word", "", "SIN30", kNone, "-0.9880316241"},
      {"log_of_ten", "", "LOG10", kNone, "1"},
      {"atan_of_two", "", "ATAN2", kNone, "1.10714871779409"},
      {"sin_pi_word", "", "sin\x83\xCE", kNone, "0"},
      {"cos_pi_word", "", "COS\x83\xAE", kNone, "-1"},
      {"pi_forms", "", "PI-\x83\xCE+\x83\xAE", kNone, "3.14159265358979"},
      {"longer_word", "", "SINE 0", kSyntax, "Err.Syntax"},
      {"pie", "", "PIE", kSyntax, "Err.Syntax"},
      {"function_binds_next_number", "", "SQRT 4*2", kNone, "4"},
      {"function_of_group", "", "SQRT(9+7)", kNone, "4"},
      {"function_then_plus", "", "SIN 30+1", kNone, "0.0119683759"},
      {"nested_functions", "", "SQRT SQRT 16", kNone, "2"},
      {"exponent_marker_word", "", "2e3", kNone, "2000"},
      {"function_overflow", "", "EXP 710", kMath, "Err.Math"},
      {"ln_of_exp", "", "LN(EXP(1))", kNone, "1"},
  };
  for (const Row& row : rows) Check(row);
}

TEST(EndToEnd, PatternFormats) {
  const Row rows[] = {
      {"fixed", "%8.3f", "PI", kNone, "   3.142"},
      {"integer_truncates", "%d", "-2.7", kNone, "-2"},
      {"binary", "%08b", "5", kNone, "00000101"},
      {"out_of_range", "%d", "3000000000", kFormat, "Err.Format"},
      {"no_percent", "abc", "1", kNone, ""},
      {"evaluation_error_wins", "%d", "(1", kBracket, "Err.Bracket"},
  };
  for (const Row& row : rows) Check(row);
}

}  // namespace
