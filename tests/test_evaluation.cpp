// Evaluation from text to value, code and result text.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "evalo.h"
#include "evaluation_fixture.h"
#include "interface/call_state.h"

namespace {

using namespace interface::error_code;

struct ValueCase {
  const char* name;
  const char* expression;
  double value;
};

void ExpectValue(const ValueCase& c) {
  SCOPED_TRACE(c.name);
  const Outcome out = Evaluate(c.expression);
  EXPECT_EQ(out.code, kNone) << c.expression << " -> " << out.text;
  EXPECT_EQ(Bits(out.value), Bits(c.value)) << c.expression << " gave " << out.value;
}

TEST(EvaluationArithmetic, PrecedenceSignsAndAssociativity) {
  const ValueCase cases[] = {
      {"sum", "1+2", 3},
      {"product_waits_for_operand", "2+3*4", 14},
      {"product_folds_before_plus", "2*3+4", 10},
      {"power_folds_from_the_left", "2^3^2", 64},
      {"sign_binds_tighter_than_power", "-2^2", 4},
      {"sign_after_operator", "2*-3^2", 18},
      {"double_minus", "--5", 5},
      {"minus_minus", "2--3", 5},
      {"unary_plus", "+5", 5},
      {"division", "7/2", 3.5},
      {"subtraction_left_to_right", "10-4-3", 3},
      {"brackets", "(1+2)*3", 9},
      {"square_brackets", "[1+2]*3", 9},
      {"curly_brackets", "{1+2}*3", 9},
      {"nested_mixed", "{[(1+2)*3]-4}/5", 1},
      {"negative_base_whole_power", "(-2)^3", -8},
      {"zero_to_zero", "0^0", 1},
      {"negative_whole_power", "2^-2", 0.25},
      {"fractional_power", "4^0.5", 2},
      {"blanks_between", "  1 +  2 ", 3},
      {"negative_zero_quotient", "0/-5", -0.0},
  };
  for (const ValueCase& c : cases) ExpectValue(c);
}

TEST(EvaluationNumbers, LiteralsAndThousandsCommas) {
  const std::string tiny = "0." + std::string(400, '0') + "1";
  const ValueCase cases[] = {
      {"commas", "1,234+1", 1235},
      {"comma_four_before_end", "1234,567", 1234567},
      {"grouped_with_point", "12,345.5", 12345.5},
      {"point_alone", ".", 0},
      {"leading_point", ".5*2", 1},
      {"trailing_point", "5.", 5},
      {"leading_zeros", "007", 7},
      {"long_literal_nearest_double", "0.1000000000000000055511151231257827021181583404541015625", 0.1},
      {"underflow_is_zero", tiny.c_str(), 0},
  };
  for (const ValueCase& c : cases) ExpectValue(c);
}

TEST(EvaluationNumbers, SubnormalLiteralIsNearestDouble) {
  // 5e-324 written out: 323 zeros after the point.
  const std::string smallest = "0." + std::string(323, '0') + "5";
  const Outcome out = Evaluate(smallest.c_str());
  EXPECT_EQ(out.code, kNone);
  EXPECT_EQ(Bits(out.value), Bits(std::numeric_limits<double>::denorm_min()));
}

// Short literals take a fast conversion; it must agree with from_chars (the
// correctly rounded reference) bit for bit, on both sides of its limits.
TEST(EvaluationNumbers, EveryLiteralConvertsToTheNearestDouble) {
  std::mt19937_64 random(20261211);
  int mismatches = 0;
  for (int i = 0; i < 20000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 24);
    std::string literal;
    for (int d = 0; d < digits; ++d) literal += static_cast<char>('0' + random() % 10);
    const int point = static_cast<int>(random() % static_cast<std::uint64_t>(digits + 2)) - 1;
    if (point >= 0) literal.insert(static_cast<std::size_t>(point), 1, '.');
    double expected = 0;
    std::from_chars(literal.data(), literal.data() + literal.size(), expected);
    const Outcome out = Evaluate(literal.c_str());
    if (out.code != kNone || Bits(out.value) != Bits(expected)) {
      if (++mismatches <= 5) ADD_FAILURE() << literal << " gave " << out.value << ", nearest is " << expected;
    }
  }
  EXPECT_EQ(mismatches, 0);
  // Just past the exact range: 2^53 + 1 and 23 decimals go the long way.
  EXPECT_EQ(Evaluate("9007199254740993").value, 9007199254740992.0);
  EXPECT_EQ(Bits(Evaluate("0.00000000000000000000001").value), Bits(1e-23));
}

TEST(EvaluationNumbers, ExponentMarker) {
  const ValueCase cases[] = {
      {"marker", "2E3", 2000},
      {"negative_exponent", "2E-3", 0.002},
      {"marker_looser_than_power", "2E3^2", 2e6},
  };
  for (const ValueCase& c : cases) ExpectValue(c);
}

struct ErrorCase {
  const char* name;
  const char* expression;
  std::int32_t code;
  double value;
};

TEST(EvaluationErrors, CodesAndValues) {
  const std::string huge = std::string(1, '1') + std::string(400, '0');
  const ErrorCase cases[] = {
      {"empty", "", kSyntax, 0},
      {"blanks", "   ", kSyntax, 0},
      {"bad_commas", "1,23", kSyntax, 0},
      {"bad_commas_two_digits", "12,34", kSyntax, 0},
      {"two_points", "1.2.3", kSyntax, 0},
      {"unknown_word_keeps_value", "5 xyz", kSyntax, 5},
      {"lone_comma_is_a_word", ",5", kSyntax, 0},
      {"two_numbers", "1 2", kSyntax, 0},
      {"number_then_constant", "2PI", kSyntax, 0},
      {"trailing_operator", "5-", kSyntax, 0},
      {"group_of_two_numbers", "(2 3)", kSyntax, 0},
      {"open_bracket", "(1+2", kBracket, 0},
      {"unmatched_close", "1)", kBracket, 0},
      {"mismatched_round_square", "(1]", kBracket, 0},
      {"mismatched_square_round", "[1)", kBracket, 0},
      {"extra_open", "((1)", kBracket, 0},
      {"implicit_product", "2(3+4)", kBracket, 0},
      {"marker_without_mantissa", "E3", kSyntax, 0},
      {"division_by_zero", "1/0", kMath, 0},
      {"zero_by_zero", "0/0", kMath, 0},
      {"overflow", "1E200*1E200", kMath, 0},
      {"zero_to_negative_power", "0^-1", kMath, 0},
      {"negative_base_fraction_power", "(-8)^(1/3)", kMath, 0},
      {"power_overflow", "2^2E3", kMath, 0},
      {"literal_above_largest_double", huge.c_str(), kMath, 0},
      {"long_vowel_mark_splits_word", "1\x81\x5B" "1", kSyntax, 1},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    const Outcome out = Evaluate(c.expression);
    EXPECT_EQ(out.code, c.code) << c.expression;
    EXPECT_EQ(Bits(out.value), Bits(c.value)) << c.expression << " gave " << out.value;
  }
}

// A bracketed group must fold to exactly one number, as a whole expression
// must; otherwise Syntax, the group counts as 0 and scanning stops after its
// close bracket. Each row goes through the exports and a context.
TEST(EvaluationGroups, MalformedGroupIsASyntaxError) {
  const ErrorCase cases[] = {
      {"operand_missing_inside", "100-(50*)", kSyntax, 100},
      {"scanning_stops_after_group", "(5-)+1", kSyntax, 0},
      {"trailing_plus", "(1+)", kSyntax, 0},
      {"double_operator", "(2**3)", kSyntax, 0},
      {"function_alone", "(SIN)", kSyntax, 0},
      {"function_of_empty_group", "SIN()", kSyntax, 0},
      {"function_of_function", "SIN(COS)", kSyntax, 0},
      {"empty_group_as_operand", "5+()", kSyntax, 5},
      {"empty_exponent", "2^()", kSyntax, 1},
      {"empty_group", "()", kSyntax, 0},
      {"empty_group_nested", "(())", kSyntax, 0},
      {"two_numbers_keep_their_syntax", "(2 3)", kSyntax, 0},
      {"math_inside_stays", "(*LN0)", kMath, 0},
      {"nested_group", "((1))", kNone, 1},
      {"signed_group", "(-1)", kNone, -1},
      {"three_kinds", "[{(1)}]", kNone, 1},
      {"signs_around_groups", "-(-(-1))", kNone, -1},
      {"group_then_operator", "(1+2)*3", kNone, 9},
  };
  const char* const texts[] = {"", "Err.Syntax", "Err.Bracket"};
  evalo_context* ctx = evalo_create();
  ASSERT_NE(ctx, nullptr);
  format("");
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string text = c.code == kMath ? "Err.Math" : texts[c.code];
    EXPECT_EQ(Bits(evalo(c.expression)), Bits(c.value)) << c.expression;
    EXPECT_EQ(error(), c.code) << c.expression;
    EXPECT_EQ(errors(), text);
    if (c.code != kNone) {
      EXPECT_EQ(evalos(c.expression), text);
    }
    EXPECT_EQ(Bits(evalo_evaluate(ctx, c.expression)), Bits(c.value));
    EXPECT_EQ(evalo_error(ctx), c.code);
    EXPECT_EQ(evalo_error_text(ctx), text);
    if (c.code != kNone) {
      EXPECT_EQ(evalo_evaluate_text(ctx, c.expression), text);
    }
  }
  evalo_destroy(ctx);
}

TEST(EvaluationErrors, FirstErrorStopsScanning) {
  // After the Syntax error of "xyz" the division by zero is never reached.
  EXPECT_EQ(Evaluate("xyz+1/0").code, kSyntax);
  // The Math error stops scanning too; the unknown word after it is not read.
  EXPECT_EQ(Evaluate("1/0+xyz").code, kMath);
}

std::string Repeat(const char* piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

TEST(EvaluationLimits, BracketDepthAndStackCapacity) {
  const auto nested = [](int depth) { return Repeat("(", depth) + "1" + Repeat(")", depth); };
  const Outcome deepest = Evaluate(nested(254).c_str());
  EXPECT_EQ(deepest.code, kNone);
  EXPECT_EQ(deepest.value, 1);
  EXPECT_EQ(Evaluate(nested(255).c_str()).code, kStack);
  EXPECT_EQ(Evaluate(Repeat("(", 256).c_str()).code, kBracket);
  EXPECT_EQ(Evaluate(Repeat("(", 257).c_str()).code, kStack);
}

// Signs wait on the stack until the number after them arrives: 254 of them
// and the number leave room for the end token; with 255 the stack is full,
// the end token is refused without a report and the signs never fold.
TEST(EvaluationLimits, SignsBeforeANumber) {
  const auto signs = [](int n) { return std::string(static_cast<std::size_t>(n), '-') + "1"; };
  const Outcome folded = Evaluate(signs(254).c_str());
  EXPECT_EQ(folded.code, kNone);
  EXPECT_EQ(folded.value, 1);
  EXPECT_EQ(Evaluate(signs(253).c_str()).value, -1);
  EXPECT_EQ(Evaluate(signs(255).c_str()).code, kSyntax);
  EXPECT_EQ(Evaluate(signs(256).c_str()).code, kStack);  // the number itself is refused
}

TEST(EvaluationLimits, LongInputsEndWithAValueOrACode) {
  const Outcome sum = Evaluate(Repeat("+1", 500001).c_str());
  EXPECT_EQ(sum.code, kNone);
  EXPECT_EQ(sum.value, 500001);
  EXPECT_EQ(Evaluate(Repeat(")", 100000).c_str()).code, kBracket);
  EXPECT_EQ(Evaluate(Repeat("(", 100000).c_str()).code, kStack);
  const Outcome digits = Evaluate(std::string(10000, '7').c_str());
  EXPECT_EQ(digits.code, kMath);  // far above the largest double
  EXPECT_EQ(Evaluate(std::string(100000, 'x').c_str()).code, kSyntax);
}

TEST(EvaluationWords, UpperCasingAndWholeWords) {
  EXPECT_EQ(Evaluate("pi").value, 3.141592653589793);
  EXPECT_EQ(Evaluate("Pi").value, 3.141592653589793);
  EXPECT_EQ(Evaluate("\x83\xCE").value, 3.141592653589793);  // small pi
  EXPECT_EQ(Evaluate("\x83\xAE").value, 3.141592653589793);  // capital pi
  EXPECT_EQ(Evaluate("PIE").code, kSyntax);
  EXPECT_EQ(Evaluate("2*pi").value, 2 * 3.141592653589793);
}

}  // namespace
