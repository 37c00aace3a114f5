// The six operations on a call state: texts, codes, format text and the
// 15-digit result text.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>
#include <string>

#include "evaluation_fixture.h"
#include "evaluator/number_text.h"
#include "interface/call.h"
#include "interface/error_text.h"
#include "interface/result_text.h"
#include "interface/tastring.h"

namespace {

using namespace interface;
using namespace interface::error_code;

TEST(InterfaceCallState, FreshStateReportsNoError) {
  CallState state;
  EXPECT_EQ(state.ErrorCode, kNone);
  EXPECT_STREQ(ReadErrorText(state), "");
}

TEST(InterfaceCallState, ErrorsAfterSuccessEmptiesTheReturnedText) {
  CallState state;
  const char* text = EvaluateToText(state, "1+2");
  EXPECT_STREQ(text, "3");
  EXPECT_STREQ(ReadErrorText(state), "");
  EXPECT_STREQ(text, "");  // the same buffer, now empty
}

TEST(InterfaceCallState, ErrorTextStaysUntilTheNextEvaluation) {
  CallState state;
  EXPECT_STREQ(EvaluateToText(state, "(1+2"), "Err.Bracket");
  EXPECT_EQ(state.ErrorCode, kBracket);
  EXPECT_STREQ(ReadErrorText(state), "Err.Bracket");
  // errors hands back the buffer unchanged after a failure, whatever wrote it.
  EXPECT_STREQ(WriteVersionText(state), "1.00");
  EXPECT_STREQ(ReadErrorText(state), "1.00");
  EXPECT_EQ(state.ErrorCode, kBracket);
}

TEST(InterfaceCallState, EmptyExpressionIsASyntaxErrorEvenAfterSuccess) {
  CallState state;
  EvaluateToText(state, "2");
  EXPECT_EQ(EvaluateToValue(state, ""), 0);
  EXPECT_EQ(state.ErrorCode, kSyntax);
  EXPECT_STREQ(state.OutputText, "Err.Syntax");
  EXPECT_STREQ(EvaluateToText(state, "   "), "Err.Syntax");
}

TEST(InterfaceCallState, NullPointersCountAsEmptyTexts) {
  CallState state;
  EXPECT_EQ(EvaluateToValue(state, nullptr), 0);
  EXPECT_EQ(state.ErrorCode, kSyntax);
  EXPECT_STREQ(EvaluateToText(state, nullptr), "Err.Syntax");
  StoreFormatText(state, "5.2");
  EXPECT_STREQ(StoreFormatText(state, nullptr), "");
}

TEST(InterfaceCallState, EverythingFromTheFirstEqualsSignIsIgnored) {
  EXPECT_EQ(Evaluate("1+2=5").text, "3");
  EXPECT_EQ(Evaluate("1+2==").text, "3");
  EXPECT_EQ(Evaluate("=1").code, kSyntax);
}

TEST(InterfaceCallState, CallersTextIsNeverWritten) {
  char expression[] = "1+2=5";
  CallState state;
  EvaluateToText(state, expression);
  EXPECT_STREQ(expression, "1+2=5");
}

TEST(InterfaceCallState, LongExpressionsUseTheHeapCopy) {
  std::string expression(600, ' ');
  expression += "7=1";
  EXPECT_EQ(Evaluate(expression.c_str()).text, "7");
}

TEST(InterfaceFormatText, StoresAtMostSevenBytes) {
  CallState state;
  EXPECT_STREQ(StoreFormatText(state, "123456789"), "1234567");
  EXPECT_STREQ(StoreFormatText(state, "%5.2f"), "%5.2f");
  EXPECT_EQ(std::memcmp(state.FormatText, "%5.2f\0\0\0", 8), 0);  // the rest cleared
  EXPECT_STREQ(StoreFormatText(state, ""), "");
  // The cut may fall inside a double-byte character: bytes, not characters.
  EXPECT_STREQ(StoreFormatText(state, "123456\x82\x50"), "123456\x82");
}

TEST(InterfaceFormatText, NumericOrPattern) {
  struct Row {
    const char* text;
    bool numeric;
  };
  const Row rows[] = {
      {"", true},     {" ", true},     {"\t\x01 ", true}, {"5.2", true},  {"1,000", true},
      {"-5", true},   {".3", true},    {" 5 ", true},     {"abc", false}, {"%d", false},
      {"5.2.1", false}, {"5 .2", false},
  };
  for (const Row& row : rows) EXPECT_EQ(IsNumericFormatText(row.text), row.numeric) << '"' << row.text << '"';
}

TEST(InterfaceFormatText, PatternWithoutPercentGivesEmptyTextAndValueUnrounded) {
  const Outcome out = EvaluateWith("abc", "1/3");
  EXPECT_EQ(out.code, kNone);
  EXPECT_EQ(out.text, "");
  EXPECT_EQ(Bits(out.value), Bits(1.0 / 3.0));
}

TEST(InterfaceFormatText, EmptyFormatLeavesValueAsComputed) {
  const Outcome out = Evaluate("1/3");
  EXPECT_EQ(Bits(out.value), Bits(1.0 / 3.0));
  EXPECT_EQ(out.text, "0.333333333333333");
}

TEST(InterfaceErrorText, TextForEveryCode) {
  struct Row {
    std::int32_t code;
    const char* text;
  };
  const Row rows[] = {{kNone, ""},          {kSyntax, "Err.Syntax"}, {kBracket, "Err.Bracket"},
                      {kStack, "Err.Stack"}, {kMemory, "Err.Memory"}, {kFormat, "Err.Format"},
                      {kMath, "Err.Math"},   {7, "Err."},             {-2, "Err."}};
  for (const Row& row : rows) {
    CallState state;
    std::strcpy(state.OutputText, "previous text");
    state.ErrorCode = row.code;
    SetErrorText(state);
    EXPECT_STREQ(state.OutputText, row.text) << row.code;
  }
}

std::string ResultText(double x) {
  char text[kResultTextMaxLength + 1];
  WriteResultText(text, x);
  return text;
}

TEST(InterfaceResultText, FifteenSignificantDigits) {
  struct Row {
    double value;
    const char* text;
  };
  const Row rows[] = {
      {3, "3"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3, "0.333333333333333"},
      {2.0 / 3, "0.666666666666667"},
      {-2.5, "-2.5"},
      {1e20, "1e+20"},
      {0.00001, "1e-05"},
      {0.0001, "0.0001"},
      {123456789012345678.0, "1.23456789012346e+17"},
      {1000000000000005.0, "1e+15"},  // a tie at the fifteenth digit goes to even
      {999999999999999.0, "999999999999999"},
      {0.0, "0"},
      {-0.0, "-0"},
      {1e100, "1e+100"},
      {-1.234567890123454e-100, "-1.23456789012345e-100"},  // the longest text
      {5e-324, "4.94065645841247e-324"},
  };
  for (const Row& row : rows) EXPECT_EQ(ResultText(row.value), row.text);
  EXPECT_EQ(ResultText(-1.234567890123454e-100).size(), kResultTextMaxLength);
}

TEST(InterfaceResultText, NegativeZeroQuotient) { EXPECT_EQ(Evaluate("0/-5").text, "-0"); }

// Results must not follow the host's decimal comma. The locale is made by
// the CI script (localedef); without it there is nothing to show.
TEST(InterfaceLocale, DecimalCommaLocaleChangesNothing) {
  const char* previous = std::setlocale(LC_ALL, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  const Outcome out = Evaluate("0.1+0.2*1,000.5");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(out.code, kNone);
  EXPECT_EQ(Bits(out.value), Bits(0.1 + 0.2 * 1000.5));
  EXPECT_EQ(out.text, "200.2");
}

TEST(InterfaceTAstring, AssignAndPrependGrowInSteps) {
  TAstring text;
  text.Assign("Syntax");
  text.Prepend("Err.");
  EXPECT_STREQ(text.Text(), "Err.Syntax");
  EXPECT_EQ(text.Length(), 10);
  const std::string longer(200, 'x');
  text.Assign(longer.c_str());
  text.Prepend("ab");
  EXPECT_EQ(std::string(text.Text()), "ab" + longer);
  EXPECT_FALSE(text.Failed());
}

// The working copy's length is a signed 32-bit count grown in steps of 80:
// the largest block is 2,147,483,600 bytes (the last multiple of 80 below
// 2^31), so a text of 2,147,483,600 bytes or more with its NUL cannot be
// held. Past that size Reserve fails without asking the allocator; at or
// below it the allocator decides (not tested: it would take 2 GiB).
TEST(InterfaceTAstring, LargestBlockIsTheLastStepBelowTwoGibibytes) {
  constexpr std::int32_t kLargestBlock = 2147483600;
  static_assert(kLargestBlock % TAstring::kGrowthStep == 0 && kLargestBlock > INT32_MAX - TAstring::kGrowthStep);
  TAstring text;
  text.Reserve(kLargestBlock + 1);
  EXPECT_TRUE(text.Failed());
}

TEST(EvaluatorNumberText, PlainNumberTest) {
  struct Row {
    const char* text;
    bool accepted;
  };
  const Row rows[] = {
      {"1,234", true},    {"12,345.5", true}, {"1,234,567", true}, {"1234,567", true},
      {"12,34", false},   {",123", false},    {"1,234.5,6", false}, {"1,2345", false},
      {"+", true},        {".", true},        {"-.", true},        {" 12 ", true},
      {"", false},        {"   ", false},     {"1 2", false},      {"1-", false},
      {"1.2.3", false},   {"+-1", false},     {"1,,234", false},   {"1e5", false},
  };
  for (const Row& row : rows) EXPECT_EQ(evaluator::IsNumberText(row.text), row.accepted) << '"' << row.text << '"';
}

}  // namespace
