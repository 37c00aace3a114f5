// Where an error arose: the token at fault, in the caller's bytes, in both
// encodings, in ASCII and in full-width forms.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <string>

#include "evalo.h"
#include "fuzz/encoding.h"

namespace {

using Context = std::unique_ptr<evalo_context, decltype(&evalo_destroy)>;

Context MakeContext(unsigned options) { return Context(evalo_create_with(options), &evalo_destroy); }

struct Seen {
  std::uint64_t valueBits;
  int code;
  long offset;
  long length;
};

Seen EvaluateIn(evalo_context* ctx, const std::string& expression) {
  const double value = evalo_evaluate(ctx, expression.c_str());
  return {std::bit_cast<std::uint64_t>(value), evalo_error(ctx), evalo_error_offset(ctx), evalo_error_length(ctx)};
}

// The full-width form (UTF-8) of every ASCII character the normalization
// maps: digits, letters, brackets, signs, point, comma and equals sign. The
// blank stays. U+FF01..U+FF5E are ASCII 0x21..0x7E shifted by 0xFEE0.
std::string Widen(const std::string& ascii) {
  std::string out;
  for (const char c : ascii) {
    if (c == ' ') {
      out += c;
      continue;
    }
    const char32_t wide = static_cast<char32_t>(c) + 0xFEE0;
    out += static_cast<char>(0xE0 | (wide >> 12));
    out += static_cast<char>(0x80 | ((wide >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (wide & 0x3F));
  }
  return out;
}

std::string CodePage932(const std::string& utf8) {
  const auto converted = fuzz::ToCodePage932(utf8);
  EXPECT_TRUE(converted.has_value()) << utf8;
  return converted.value_or("");
}

struct PlaceRow {
  const char* name;
  std::string expression;  // ASCII
  int code;
  long offset;  // of the token at fault, in the ASCII text
  long length;
};

std::string Repeat(const char* piece, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += piece;
  return s;
}

const std::vector<PlaceRow>& PlaceRows() {
  static const std::vector<PlaceRow> rows = {
      {"unknown_word", "1+xyz*2", EVALO_ERR_SYNTAX, 2, 3},
      {"rejected_literal", "2*1.2.3", EVALO_ERR_SYNTAX, 2, 5},
      {"rejected_commas", "1,23+1", EVALO_ERR_SYNTAX, 0, 4},
      {"second_of_two_numbers", "1 2", EVALO_ERR_SYNTAX, 2, 1},
      {"first_pair_of_three", "1 2 3", EVALO_ERR_SYNTAX, 2, 1},
      {"folded_number_spans_its_group", "(1)(2)", EVALO_ERR_SYNTAX, 3, 3},
      {"constant_after_number", "2PI", EVALO_ERR_SYNTAX, 1, 2},
      {"trailing_minus", "5-", EVALO_ERR_SYNTAX, 1, 1},
      {"function_alone", "SIN", EVALO_ERR_SYNTAX, 0, 3},
      {"function_after_operator", "2*SIN", EVALO_ERR_SYNTAX, 2, 3},
      {"marker_without_mantissa", "E3", EVALO_ERR_SYNTAX, 0, 1},
      {"malformed_group_operator", "100-(50*)", EVALO_ERR_SYNTAX, 7, 1},
      {"malformed_group_function", "SIN(COS)", EVALO_ERR_SYNTAX, 4, 3},
      {"empty_group_itself", "SIN()", EVALO_ERR_SYNTAX, 3, 2},
      {"empty_expression", "", EVALO_ERR_SYNTAX, 0, 0},
      {"blank_expression", "   ", EVALO_ERR_SYNTAX, 3, 0},
      {"nothing_before_equals", "  =1", EVALO_ERR_SYNTAX, 2, 0},
      {"close_without_open", "1)", EVALO_ERR_BRACKET, 1, 1},
      {"close_of_other_kind", "(1]", EVALO_ERR_BRACKET, 2, 1},
      {"square_closed_by_round", "[1)", EVALO_ERR_BRACKET, 2, 1},
      {"left_open", "(1+2", EVALO_ERR_BRACKET, 0, 1},
      {"innermost_left_open", "(1+(2", EVALO_ERR_BRACKET, 3, 1},
      {"outer_left_open", "((1)", EVALO_ERR_BRACKET, 0, 1},
      {"open_folded_as_operator", "2(3+4", EVALO_ERR_BRACKET, 1, 1},
      {"implicit_product", "2(3+4)", EVALO_ERR_BRACKET, 5, 1},
      {"257_open_brackets", Repeat("(", 257), EVALO_ERR_STACK, 256, 1},
      {"255_nested_brackets", Repeat("(", 255) + "1" + Repeat(")", 255), EVALO_ERR_STACK, 256, 1},
      {"256_signs", Repeat("-", 256) + "1", EVALO_ERR_STACK, 256, 1},
      {"division_by_zero", "1+2/(3-3)", EVALO_ERR_MATH, 3, 1},
      {"logarithm_of_zero", "LN0", EVALO_ERR_MATH, 0, 2},
      {"function_in_malformed_group", "(*LN0)", EVALO_ERR_MATH, 2, 2},
      {"square_root", "SQRT(0-4)", EVALO_ERR_MATH, 0, 4},
      {"exponent_marker", "2E400", EVALO_ERR_MATH, 1, 1},
      {"product_of_exponents", "1E200*1E200", EVALO_ERR_MATH, 5, 1},
      {"literal_beyond_range", "1" + std::string(400, '0'), EVALO_ERR_MATH, 0, 401},
      {"leading_blanks_count", "  1/0", EVALO_ERR_MATH, 3, 1},
      {"before_the_equals_sign", "1/0=xyz", EVALO_ERR_MATH, 1, 1},
      {"success", "1+2", EVALO_OK, -1, 0},
  };
  return rows;
}

// Every row four times: ASCII and full-width, each in a code page 932 and
// a UTF-8 context. The value must not depend on the form, and the place
// must cover the same characters, counted in the caller's bytes.
TEST(ErrorPlace, EveryRuleInBothEncodingsAndFullWidth) {
  Context cp932 = MakeContext(0);
  Context utf8 = MakeContext(EVALO_UTF8);
  ASSERT_TRUE(cp932 && utf8);
  for (const PlaceRow& row : PlaceRows()) {
    SCOPED_TRACE(row.name);
    const Seen ascii = EvaluateIn(cp932.get(), row.expression);
    EXPECT_EQ(ascii.code, row.code);
    EXPECT_EQ(ascii.offset, row.offset);
    EXPECT_EQ(ascii.length, row.length);
    const Seen asciiUtf8 = EvaluateIn(utf8.get(), row.expression);
    EXPECT_EQ(asciiUtf8.valueBits, ascii.valueBits);
    EXPECT_EQ(asciiUtf8.code, row.code);
    EXPECT_EQ(asciiUtf8.offset, row.offset);
    EXPECT_EQ(asciiUtf8.length, row.length);

    const std::size_t offset = row.offset < 0 ? 0 : static_cast<std::size_t>(row.offset);
    const std::string before = row.expression.substr(0, offset);
    const std::string token = row.expression.substr(offset, static_cast<std::size_t>(row.length));
    struct Form {
      const char* name;
      evalo_context* ctx;
      std::string (*encode)(const std::string&);
    };
    const Form forms[] = {
        {"full-width code page 932", cp932.get(), [](const std::string& s) { return CodePage932(Widen(s)); }},
        {"full-width UTF-8", utf8.get(), [](const std::string& s) { return Widen(s); }},
    };
    for (const Form& form : forms) {
      SCOPED_TRACE(form.name);
      const Seen wide = EvaluateIn(form.ctx, form.encode(row.expression));
      EXPECT_EQ(wide.valueBits, ascii.valueBits);
      EXPECT_EQ(wide.code, row.code);
      if (row.code == EVALO_OK) {
        EXPECT_EQ(wide.offset, -1);
        EXPECT_EQ(wide.length, 0);
      } else {
        EXPECT_EQ(wide.offset, static_cast<long>(form.encode(before).size()));
        EXPECT_EQ(wide.length, static_cast<long>(form.encode(token).size()));
      }
    }
  }
}

TEST(ErrorPlace, FullWidthExampleCountsBytesOfTheCallersEncoding) {
  const std::string utf8 = "（１＋２）／０";
  Context cp932 = MakeContext(0);
  Context utf8Context = MakeContext(EVALO_UTF8);
  const Seen inCp932 = EvaluateIn(cp932.get(), CodePage932(utf8));
  const Seen inUtf8 = EvaluateIn(utf8Context.get(), utf8);
  EXPECT_EQ(inCp932.code, EVALO_ERR_MATH);
  EXPECT_EQ(inCp932.offset, 10);
  EXPECT_EQ(inCp932.length, 2);
  EXPECT_EQ(inUtf8.offset, 15);
  EXPECT_EQ(inUtf8.length, 3);
}

// A place is only ever the last evaluation's, and only for errors that
// have one.
TEST(ErrorPlace, ClearedWhenThereIsNone) {
  Context ctx = MakeContext(0);
  EXPECT_EQ(evalo_error_offset(ctx.get()), -1);
  EXPECT_EQ(evalo_error_length(ctx.get()), 0);
  evalo_evaluate(ctx.get(), "1/0");
  EXPECT_EQ(evalo_error_offset(ctx.get()), 1);
  evalo_evaluate(ctx.get(), "1+1");
  EXPECT_EQ(evalo_error_offset(ctx.get()), -1);
  EXPECT_EQ(evalo_error_length(ctx.get()), 0);

  evalo_evaluate(ctx.get(), "xyz");
  evalo_set_format(ctx.get(), "%d");  // the format text leaves the error alone
  EXPECT_EQ(evalo_error_offset(ctx.get()), 0);
  EXPECT_STREQ(evalo_evaluate_text(ctx.get(), "2^40"), "Err.Format");
  EXPECT_EQ(evalo_error(ctx.get()), EVALO_ERR_FORMAT);
  EXPECT_EQ(evalo_error_offset(ctx.get()), -1);  // the pattern's fault, not the expression's
  EXPECT_EQ(evalo_error_length(ctx.get()), 0);

  EXPECT_EQ(evalo_error_offset(nullptr), -1);
  EXPECT_EQ(evalo_error_length(nullptr), 0);
}

TEST(ErrorPlace, UnknownOptionsAreRefused) {
  EXPECT_EQ(evalo_create_with(4), nullptr);
  EXPECT_EQ(evalo_create_with(EVALO_UTF8 | 0x100u), nullptr);
  Context both = MakeContext(EVALO_UTF8 | EVALO_LOOKALIKES);
  EXPECT_NE(both, nullptr);
}

// A mebibyte of full-width UTF-8 with the fault at its end: the offset is
// counted in the caller's bytes across the whole text.
TEST(ErrorPlace, OffsetAtTheEndOfAMebibyte) {
  const std::string terms = Repeat("＋１", 1 << 16);  // 384 KiB
  const std::string text = "１" + terms + terms + terms + "／０";
  Context ctx = MakeContext(EVALO_UTF8);
  const Seen seen = EvaluateIn(ctx.get(), text);
  EXPECT_EQ(seen.code, EVALO_ERR_MATH);
  EXPECT_EQ(seen.offset, static_cast<long>(text.size() - 6));
  EXPECT_EQ(seen.length, 3);
  EXPECT_GT(text.size(), 1u << 20);

  Context cp932 = MakeContext(0);
  const std::string narrow = CodePage932(text);
  const Seen inCp932 = EvaluateIn(cp932.get(), narrow);
  EXPECT_EQ(inCp932.valueBits, seen.valueBits);
  EXPECT_EQ(inCp932.offset, static_cast<long>(narrow.size() - 4));
}

}  // namespace
