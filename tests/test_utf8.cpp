// UTF-8 contexts and the look-alike marks: a UTF-8 text must evaluate
// exactly as its code page 932 form does, and bad UTF-8 must end in Syntax.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "evalo.h"
#include "fuzz/encoding.h"

namespace {

using Context = std::unique_ptr<evalo_context, decltype(&evalo_destroy)>;

Context MakeContext(unsigned options) { return Context(evalo_create_with(options), &evalo_destroy); }

struct Seen {
  std::uint64_t valueBits;
  int code;
  std::string text;
  long offset;
  long length;
};

Seen EvaluateIn(evalo_context* ctx, const std::string& expression) {
  const double value = evalo_evaluate(ctx, expression.c_str());
  const int code = evalo_error(ctx);
  const long offset = evalo_error_offset(ctx);
  const long length = evalo_error_length(ctx);
  const std::string text = evalo_evaluate_text(ctx, expression.c_str());
  return {std::bit_cast<std::uint64_t>(value), code, text, offset, length};
}

std::string CodePage932(const std::string& utf8) {
  const auto converted = fuzz::ToCodePage932(utf8);
  EXPECT_TRUE(converted.has_value()) << utf8;
  return converted.value_or("");
}

// The characters whose code page 932 form matters, among others: signs,
// digits and letters in full width, the keywords' π, Π and √, the minus
// sign that shares 0x817C with "－", the marks whose trail byte ends a word
// ("ー", "±"), and characters whose form does not matter ("あ", "ｱ").
TEST(Utf8Context, SameResultsAsCodePage932) {
  const char* const expressions[] = {
      "（１．５）＊２", "１，２３４＋１", "ＳＩＮ（０）", "ｓｉｎπ", "cosπ", "Π/2", "√９+√16", "３−１",
      "［１＋２］＾２", "｛８／２｝", "１＋２＝３", "ＬＮ０", "１２×３", "５ー３", "x±1", "あ", "1+ｱ",
      "ＳＩＮπ", "２Ｅ３", "ＰＩ", "ＡＢＳ－３", "1　+2", "2*−3^2", "（（１））",
  };
  const char* const formats[] = {"", "5.2", "%8.3f", "%x", "￥%d"};
  Context cp932 = MakeContext(0);
  Context utf8 = MakeContext(EVALO_UTF8);
  for (const char* format : formats) {
    ASSERT_EQ(std::string(evalo_set_format(utf8.get(), format)), std::string(format).substr(0, 7));
    evalo_set_format(cp932.get(), CodePage932(format).c_str());
    for (const char* expression : expressions) {
      SCOPED_TRACE(std::string(format) + " " + expression);
      const std::string narrow = CodePage932(expression);
      const Seen expected = EvaluateIn(cp932.get(), narrow);
      const Seen seen = EvaluateIn(utf8.get(), expression);
      EXPECT_EQ(seen.valueBits, expected.valueBits);
      EXPECT_EQ(seen.code, expected.code);
      EXPECT_EQ(seen.text, fuzz::ToUtf8(expected.text).value_or("?"));
      if (expected.offset < 0) {
        EXPECT_EQ(seen.offset, -1);
        continue;
      }
      const std::string u = expression;
      const auto narrowOffset = static_cast<std::size_t>(expected.offset);
      const auto offset = static_cast<std::size_t>(seen.offset);
      EXPECT_EQ(fuzz::CharacterIndexAt(u, offset, true), fuzz::CharacterIndexAt(narrow, narrowOffset, false));
      EXPECT_EQ(fuzz::CharacterIndexAt(u, offset + static_cast<std::size_t>(seen.length), true),
                fuzz::CharacterIndexAt(narrow, narrowOffset + static_cast<std::size_t>(expected.length), false));
    }
  }
}

struct LookalikeRow {
  const char* name;
  const char* expression;  // UTF-8
  double value;            // with the option
  long offset;             // of the Syntax error without it, in UTF-8 bytes
  long length;
};

// In either encoding the marks read as operators only with the option;
// without it each is a word that stops scanning.
TEST(Lookalikes, ReadOnlyWhenAskedForInEitherEncoding) {
  const LookalikeRow rows[] = {
      {"times", "１２×３", 36, 6, 2},
      {"divide", "８÷２", 4, 3, 2},
      {"long_vowel_mark", "５ー３", 2, 3, 3},
      {"hyphen", "５‐３", 2, 3, 3},
      {"full_width_space", "１　＋　２", 3, 3, 3},
      {"mixed", "（１２ー２）×３÷５", 6, 9, 3},
      {"in_ascii_text", "2×3", 6, 1, 2},
  };
  for (const bool utf8 : {false, true}) {
    Context with = MakeContext((utf8 ? EVALO_UTF8 : 0) | EVALO_LOOKALIKES);
    Context without = MakeContext(utf8 ? EVALO_UTF8 : 0);
    for (const LookalikeRow& row : rows) {
      SCOPED_TRACE(std::string(row.name) + (utf8 ? " UTF-8" : " code page 932"));
      const std::string text = utf8 ? row.expression : CodePage932(row.expression);
      const Seen read = EvaluateIn(with.get(), text);
      EXPECT_EQ(read.code, EVALO_OK);
      EXPECT_EQ(read.valueBits, std::bit_cast<std::uint64_t>(row.value));
      const Seen refused = EvaluateIn(without.get(), text);
      EXPECT_EQ(refused.code, EVALO_ERR_SYNTAX);
      const std::string before = std::string(row.expression).substr(0, static_cast<std::size_t>(row.offset));
      const std::string mark = std::string(row.expression).substr(static_cast<std::size_t>(row.offset),
                                                                  static_cast<std::size_t>(row.length));
      EXPECT_EQ(refused.offset, static_cast<long>(utf8 ? before.size() : CodePage932(before).size()));
      // The long-vowel mark and the hyphen end the word at their trail byte
      // ("[", "]") in code page 932: a place is still whole characters.
      EXPECT_EQ(refused.length, static_cast<long>(utf8 ? mark.size() : CodePage932(mark).size()));
    }
  }
  // The process-wide functions never read look-alikes.
  EXPECT_EQ(evalo(CodePage932("１２×３").c_str()), 12);
  EXPECT_EQ(error(), EVALO_ERR_SYNTAX);
}

// Pads an expression with leading blanks so that it and its NUL fill a
// whole number of the 80-byte steps of the heap working copy: a read past
// the NUL then leaves the block, which the address sanitizer reports.
std::string AtEndOfHeapBlock(const std::string& expression) {
  std::size_t size = 640;
  while (size < expression.size() + 1) size += 80;
  return std::string(size - 1 - expression.size(), ' ') + expression;
}

struct InvalidRow {
  const char* name;
  std::string expression;
  double value;  // the value reached
  long offset;   // of the word holding the bad bytes
  long length;
};

TEST(Utf8Context, InvalidUtf8IsASyntaxErrorAtItsWord) {
  const InvalidRow rows[] = {
      {"stray_continuation", "1+2 \x80", 3, 4, 1},
      {"continuation_run", "\xBF\xBF*2", 0, 0, 2},
      {"overlong_slash", "4\xC0\xAF" "2", 4, 1, 2},
      {"overlong_three_bytes", "\xE0\x80\xAF", 0, 0, 3},
      {"overlong_four_bytes", "\xF0\x80\x80\xAF", 0, 0, 4},
      {"surrogate", "1-\xED\xA0\x80", 0, 2, 3},
      {"above_largest_code_point", "\xF4\x90\x80\x80", 0, 0, 4},
      {"byte_f5", "7 \xF5", 7, 2, 1},
      {"byte_fe", "\xFE", 0, 0, 1},
      {"byte_ff", "2*\xFF", 0, 2, 1},
      {"lead_before_operator", "\xC3(1)", 0, 0, 1},
      {"cut_at_end_two", "1+\xC3", 0, 2, 1},
      {"cut_at_end_three", "1+\xE3\x81", 0, 2, 2},
      {"cut_at_end_four", "1+\xF0\x9F\x98", 0, 2, 3},
      {"cut_before_digit", "\xE3\x81" "5", 0, 0, 2},
      {"code_page_932_pi_bytes", "\x83\xCE", 0, 0, 2},
      {"code_page_932_sin_pi", "SIN\x83\xAE", 0, 0, 5},
      {"code_page_932_root", "\x81\xE3" "9", 0, 0, 2},
      {"valid_then_invalid", "3-π\x80", 0, 2, 3},
  };
  Context utf8 = MakeContext(EVALO_UTF8);
  for (const InvalidRow& row : rows) {
    SCOPED_TRACE(row.name);
    for (const bool padded : {false, true}) {
      const std::string text = padded ? AtEndOfHeapBlock(row.expression) : row.expression;
      const long shift = static_cast<long>(text.size() - row.expression.size());
      const Seen seen = EvaluateIn(utf8.get(), text);
      EXPECT_EQ(seen.code, EVALO_ERR_SYNTAX);
      EXPECT_EQ(seen.valueBits, std::bit_cast<std::uint64_t>(row.value));
      EXPECT_EQ(seen.text, "Err.Syntax");
      EXPECT_EQ(seen.offset, row.offset + shift);
      EXPECT_EQ(seen.length, row.length);
    }
  }
}

// Every single byte and every pair of bytes after a digit: no crash, a
// known code, a place inside the text.
TEST(Utf8Context, EveryByteAndPairEndsWithAPlaceInsideTheText) {
  Context utf8 = MakeContext(EVALO_UTF8 | EVALO_LOOKALIKES);
  for (int a = 0x01; a <= 0xFF; ++a) {
    for (int b = 0x00; b <= 0xFF; b += (a >= 0x80 ? 1 : 0x11)) {
      std::string text = "1";
      text += static_cast<char>(a);
      if (b != 0) text += static_cast<char>(b);
      const Seen seen = EvaluateIn(utf8.get(), text);
      if (seen.code == EVALO_OK) {
        EXPECT_EQ(seen.offset, -1);
        continue;
      }
      EXPECT_GE(seen.offset, 0) << a << " " << b;
      EXPECT_LE(seen.offset + seen.length, static_cast<long>(text.size())) << a << " " << b;
    }
  }
}

}  // namespace
