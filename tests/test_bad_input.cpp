// Hostile input through the exported functions: every call must end with a
// value or an error code, keep its text within the 52-byte output buffer,
// and (in the sanitizer build) touch no byte it does not own.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "evalo.h"
#include "fuzz/checks.h"

namespace {

// The error texts as the host expects them, shared with the fuzz targets.
using fuzz::ErrorTextOf;
using fuzz::kOutputTextSize;

struct Result {
  double value;
  int code;
  std::string text;
};

// evalo and evalos on the default state, checking what holds for any input:
// a known code with its text, a finite value, a text that fits the buffer.
Result EvaluateChecked(const std::string& expression) {
  const double value = evalo(expression.c_str());
  const int code = error();
  EXPECT_TRUE(std::isfinite(value));
  EXPECT_NE(ErrorTextOf(code), nullptr) << "code " << code;
  if (ErrorTextOf(code) != nullptr) {
    EXPECT_STREQ(errors(), ErrorTextOf(code));
  }
  const char* text = evalos(expression.c_str());
  EXPECT_NE(std::memchr(text, '\0', kOutputTextSize), nullptr) << "text beyond 51 bytes";
  const int textCode = error();
  if (code != EVALO_OK) {
    EXPECT_EQ(textCode, code);
  }
  if (textCode != EVALO_OK && ErrorTextOf(textCode) != nullptr) {
    EXPECT_STREQ(text, ErrorTextOf(textCode));
  }
  return {value, code, text};
}

std::string Repeat(const std::string& piece, std::size_t times) {
  std::string s;
  s.reserve(piece.size() * times);
  for (std::size_t i = 0; i < times; ++i) s += piece;
  return s;
}

// Pads an expression with leading blanks so that it and its NUL fill a whole
// number of the 80-byte steps of the heap working copy: a read past the NUL
// then leaves the block, which the address sanitizer reports.
std::string AtEndOfHeapBlock(const std::string& expression) {
  std::size_t size = 640;
  while (size < expression.size() + 1) size += 80;
  return std::string(size - 1 - expression.size(), ' ') + expression;
}

class BadInput : public testing::Test {
 protected:
  void SetUp() override { format(""); }
  void TearDown() override { format(""); }
};

TEST_F(BadInput, NullPointersCountAsEmptyTexts) {
  format("5.2");
  EXPECT_STREQ(format(nullptr), "");
  EXPECT_STREQ(evalos("1.255"), "1.255");  // the format text is empty again
  EXPECT_EQ(evalo(nullptr), 0);
  EXPECT_EQ(error(), EVALO_ERR_SYNTAX);
  EXPECT_STREQ(evalos(nullptr), "Err.Syntax");
  EXPECT_STREQ(errors(), "Err.Syntax");

  evalo_context* ctx = evalo_create();
  ASSERT_NE(ctx, nullptr);
  evalo_set_format(ctx, "5.2");
  EXPECT_STREQ(evalo_set_format(ctx, nullptr), "");
  EXPECT_STREQ(evalo_evaluate_text(ctx, "1.255"), "1.255");
  EXPECT_EQ(evalo_evaluate(ctx, nullptr), 0);
  EXPECT_EQ(evalo_error(ctx), EVALO_ERR_SYNTAX);
  EXPECT_STREQ(evalo_evaluate_text(ctx, nullptr), "Err.Syntax");
  EXPECT_STREQ(evalo_error_text(ctx), "Err.Syntax");
  evalo_destroy(ctx);

  EXPECT_STREQ(evalo_set_format(nullptr, nullptr), "");
  EXPECT_EQ(evalo_evaluate(nullptr, nullptr), 0);
  EXPECT_STREQ(evalo_evaluate_text(nullptr, nullptr), "Err.Memory");
}

TEST_F(BadInput, LiteralsAtTheEdgesOfTheDoubleRange) {
  const std::string zeros400 = "0." + std::string(400, '0') + "1";
  const Result tiny = EvaluateChecked(zeros400);
  EXPECT_EQ(tiny.code, EVALO_OK);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(tiny.value), 0u);
  EXPECT_EQ(tiny.text, "0");

  // 309 digits either side of the point where rounding reaches infinity.
  const Result largest = EvaluateChecked("17976931348623158" + std::string(292, '0'));
  EXPECT_EQ(largest.code, EVALO_OK);
  EXPECT_EQ(largest.value, DBL_MAX);
  const Result beyond = EvaluateChecked("17976931348623159" + std::string(292, '0'));
  EXPECT_EQ(beyond.code, EVALO_ERR_MATH);
  EXPECT_EQ(beyond.value, 0);

  const Result longFraction = EvaluateChecked("0." + std::string(10000, '3'));
  EXPECT_EQ(longFraction.code, EVALO_OK);
  EXPECT_EQ(longFraction.value, 1.0 / 3);
  const Result smallest = EvaluateChecked("0." + std::string(323, '0') + "5");
  EXPECT_EQ(smallest.code, EVALO_OK);
  EXPECT_EQ(std::bit_cast<std::uint64_t>(smallest.value), 1u);  // rounds up to the least subnormal
}

TEST_F(BadInput, LongFullWidthInput) {
  const Result sum = EvaluateChecked(Repeat("\x81\x7B\x82\x50", 25000));  // "＋１" × 25,000
  EXPECT_EQ(sum.code, EVALO_OK);
  EXPECT_EQ(sum.value, 25000);
}

// Broken double-byte characters, each at the very end of a heap block.
TEST_F(BadInput, InvalidCodePage932Sequences) {
  const char* const sequences[] = {
      "\x81",        "1+\x82",      "\xE0",        "\xFC",        "2*\x9F",
      "\x81\x01",    "\x82\x0A" "1", "1+\x81\x1F" "2", "\x82\x7F",  "\x81\x20",
      "\x83\x01PI",  "SIN\x83",     "\x81\xE3",    "\x81\xE3\x81", "(\x81\x69",
  };
  for (const char* s : sequences) {
    SCOPED_TRACE(testing::PrintToString(std::string(s)));
    EvaluateChecked(s);
    EvaluateChecked(AtEndOfHeapBlock(s));
  }
  // A lead byte as the last byte: the character it starts is cut by the
  // NUL, so what came before is still read as it was.
  EXPECT_EQ(EvaluateChecked(AtEndOfHeapBlock("1+\x81")).code, EVALO_ERR_SYNTAX);
}

TEST_F(BadInput, EveryByteAloneAsAnExpression) {
  for (int b = 0x01; b <= 0xFF; ++b) {
    SCOPED_TRACE(b);
    const std::string expression(1, static_cast<char>(b));
    const Result alone = EvaluateChecked(expression);
    EvaluateChecked(AtEndOfHeapBlock(expression));
    if (b >= '0' && b <= '9') {
      EXPECT_EQ(alone.code, EVALO_OK);
      EXPECT_EQ(alone.value, b - '0');
    } else if (b <= 0x20 || b == '+' || b == '*' || b == ')') {
      EXPECT_NE(alone.code, EVALO_OK);
    }
  }
}

// Every byte at every place of a 7-byte format text, over a value that
// takes every path: rounding, the 15-digit text and pattern formatting.
TEST_F(BadInput, EveryByteInASevenByteFormatText) {
  const char* const bases[] = {"%08.3f|", "12.3456", "%-+9.2e"};
  for (const char* base : bases) {
    for (std::size_t position = 0; position < 7; ++position) {
      for (int b = 0x01; b <= 0xFF; ++b) {
        std::string text = base;
        text[position] = static_cast<char>(b);
        SCOPED_TRACE(testing::PrintToString(text));
        EXPECT_EQ(std::strlen(format(text.c_str())), 7u);
        const Result r = EvaluateChecked("-1234.5678");
        EXPECT_EQ(r.code, EVALO_OK);
        const int textCode = error();
        EXPECT_TRUE(textCode == EVALO_OK || textCode == EVALO_ERR_FORMAT) << textCode;
      }
    }
  }
  for (int b = 0x01; b <= 0xFF; ++b) {
    const std::string text(7, static_cast<char>(b));
    SCOPED_TRACE(b);
    format(text.c_str());
    EXPECT_EQ(EvaluateChecked("-1234.5678").code, EVALO_OK);
  }
}

}  // namespace
