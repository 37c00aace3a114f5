// Full-width input mapped to ASCII in place.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "evaluator/normalize.h"

namespace {

struct NormalizeCase {
  const char* name;
  std::string_view input;
  std::string_view expected;
};

// Bytes placed right after the terminating NUL: a mappable full-width digit
// and a tab, so a walk that strays past the end would change them.
constexpr std::string_view kGuard = "\x82\x50\x09\x81\x7B";

// Runs the mapping on a buffer holding the input, its NUL and the guard, and
// checks the text, the NULs left in the freed bytes and the untouched guard.
void ExpectNormalized(const NormalizeCase& c) {
  SCOPED_TRACE(c.name);
  std::vector<char> buffer(c.input.begin(), c.input.end());
  buffer.push_back('\0');
  buffer.insert(buffer.end(), kGuard.begin(), kGuard.end());

  evaluator::ToHalfWidth(buffer.data());

  EXPECT_EQ(std::string_view(buffer.data()), c.expected);
  for (std::size_t i = c.expected.size(); i <= c.input.size(); ++i)
    EXPECT_EQ(buffer[i], '\0') << "freed byte " << i << " not cleared";
  EXPECT_EQ(std::string_view(buffer.data() + c.input.size() + 1, kGuard.size()), kGuard)
      << "bytes after the terminator were touched";
}

TEST(NormalizeMapping, SignsDigitsAndLetters) {
  const NormalizeCase cases[] = {
      {"sum", "\x82\x50\x81\x7B\x82\x51", "1+2"},                                            // １＋２
      {"group_times", "\x81\x69\x82\x50\x81\x44\x82\x54\x81\x6A\x81\x96\x82\x51", "(1.5)*2"},  // （１．５）＊２
      {"thousands_comma", "\x82\x50\x81\x43\x82\x51\x82\x52\x82\x53", "1,234"},              // １，２３４
      {"all_fourteen_signs",
       "\x81\x69\x81\x6A\x81\x6D\x81\x6E\x81\x6F\x81\x70\x81\x7B"
       "\x81\x7C\x81\x96\x81\x5E\x81\x4F\x81\x44\x81\x43\x81\x81",
       "()[]{}+-*/^.,="},
      {"digit_range_ends", "\x82\x4F\x82\x58", "09"},
      {"capital_range_ends", "\x82\x60\x82\x79", "AZ"},
      {"small_range_ends", "\x82\x81\x82\x9A", "az"},
      {"function_call", "\x82\x72\x82\x68\x82\x6D\x81\x69\x82\x4F\x81\x6A", "SIN(0)"},  // ＳＩＮ（０）
      {"small_letters_stay_small", "\x82\x93\x82\x89\x82\x8E", "sin"},                 // ｓｉｎ
      {"equals_sign_kept_for_the_cut", "1\x81\x7B" "2\x81\x81", "1+2="},               // 1＋2＝
      {"mixed_with_ascii", "2*\x82\x52-x", "2*3-x"},
      {"empty", "", ""},
  };
  for (const NormalizeCase& c : cases) ExpectNormalized(c);
}

TEST(NormalizeMapping, ControlBlanks) {
  const NormalizeCase cases[] = {
      {"tab_cr_lf", "1\t+\r\n2", "1 +  2"},
      {"after_mapped_character", "\x82\x50\t", "1 "},
      {"other_controls_stay", "1\x0B\x0C" "2", "1\x0B\x0C" "2"},
  };
  for (const NormalizeCase& c : cases) ExpectNormalized(c);
}

// Neighbours of the mapped ranges and the signs the scanner must still see
// as errors or keywords stay as they are.
TEST(NormalizeMapping, OtherCharactersStay) {
  const NormalizeCase cases[] = {
      {"before_digits", "\x82\x4E", "\x82\x4E"},
      {"after_digits", "\x82\x59", "\x82\x59"},
      {"before_capitals", "\x82\x5F", "\x82\x5F"},
      {"after_capitals", "\x82\x7A", "\x82\x7A"},
      {"before_small", "\x82\x80", "\x82\x80"},
      {"after_small", "\x82\x9B", "\x82\x9B"},
      {"full_width_space", "1\x81\x40" "2", "1\x81\x40" "2"},
      {"multiplication_sign", "2\x81\x7E" "3", "2\x81\x7E" "3"},
      {"division_sign", "2\x81\x80" "3", "2\x81\x80" "3"},
      {"pi_small_and_capital", "\x83\xCE\x83\xAE", "\x83\xCE\x83\xAE"},
      {"square_root", "\x81\xE3" "4", "\x81\xE3" "4"},
      {"sign_trail_under_other_lead", "\x83\x69\x83\x50", "\x83\x69\x83\x50"},
      {"half_width_katakana", "\xA1\xB1\xDF", "\xA1\xB1\xDF"},
  };
  for (const NormalizeCase& c : cases) ExpectNormalized(c);
}

// Bytes outside the lead ranges are single characters: the full-width digit
// after each must still be seen and mapped.
TEST(NormalizeMapping, SingleBytesAroundTheLeadRanges) {
  const NormalizeCase cases[] = {
      {"below_first_range", "\x80\x82\x50", "\x80" "1"},
      {"between_the_ranges", "\xA0\x82\x50\xDF\x82\x51", "\xA0" "1\xDF" "2"},
      {"above_second_range", "\xFD\x82\x50\xFE\x82\x51\xFF\x82\x52", "\xFD" "1\xFE" "2\xFF" "3"},
  };
  for (const NormalizeCase& c : cases) ExpectNormalized(c);
}

// A lead byte owns the byte after it, whatever that byte is.
TEST(NormalizeTrailBytes, LeadByteTakesTheNextByte) {
  const NormalizeCase cases[] = {
      {"tab_after_lead_stays", "\x81\t" "1", "\x81\t" "1"},
      {"line_feed_after_lead_stays", "\x9F\n\r", "\x9F\n "},
      {"trail_that_looks_like_a_lead", "\x83\x82\x50", "\x83\x82P"},
      {"lead_as_trail_of_sign", "\x81\x81\x82\x50", "=1"},
      {"after_a_mapped_character", "\x82\x50\x88\x82\x50", "1\x88\x82P"},
      {"range_edges_are_leads", "\x9F\x82\x50\xE0\x82\x50\xFC\x82\x50", "\x9F\x82P\xE0\x82P\xFC\x82P"},
  };
  for (const NormalizeCase& c : cases) ExpectNormalized(c);
}

TEST(NormalizeTrailBytes, LeadByteBeforeTheEndStays) {
  const NormalizeCase cases[] = {
      {"alone", "\x82", "\x82"},
      {"after_ascii", "1+\x81", "1+\x81"},
      {"after_mapped_characters", "\x82\x50\x82\x51\x82", "12\x82"},
      {"after_unmapped_character", "\x83\xCE\xE0", "\x83\xCE\xE0"},
  };
  for (const NormalizeCase& c : cases) ExpectNormalized(c);
}

// 512 Ki full-width digits: the text halves, and the walk stays linear (a
// copy of the rest after every character would move about 2^38 bytes).
TEST(NormalizeLongText, MebibyteOfFullWidthDigits) {
  constexpr std::size_t kCharacters = 512 * 1024;
  std::string text;
  std::string expected;
  for (std::size_t i = 0; i < kCharacters; ++i) {
    text += i % 2 == 0 ? "\x82\x50" : "\x81\x7B";  // １＋
    expected += i % 2 == 0 ? '1' : '+';
  }

  const auto start = std::chrono::steady_clock::now();
  evaluator::ToHalfWidth(text.data());
  const auto elapsed = std::chrono::steady_clock::now() - start;

  EXPECT_TRUE(std::string_view(text.c_str()) == expected);
  EXPECT_LT(elapsed, std::chrono::seconds(1));
}

// A printable-ASCII text is its own working text: the shortcut gives the
// walk's span for every place, inside, at and past the end, empty or not,
// in both encodings.
TEST(NormalizeErrorPlace, VerbatimTextMapsLikeTheWalk) {
  for (const char* text : {"", "1", "1+*2", "(1+2)*3.5-4/2", "SIN(~x)\x7F"}) {
    const std::size_t length = std::strlen(text);
    for (std::uint32_t start = 0; start <= length + 2; ++start) {
      for (std::uint32_t end = 0; end <= length + 2; ++end) {
        const evaluator::Place place{start, end};
        const evaluator::ByteSpan shortcut = evaluator::VerbatimBytesOf(place, length);
        for (const evaluator::TextOptions options : {evaluator::TextOptions{}, evaluator::TextOptions{true, true}}) {
          const evaluator::ByteSpan walked = evaluator::CallerBytesOf(text, place, options);
          EXPECT_EQ(shortcut.offset, walked.offset) << text << " " << start << " " << end;
          EXPECT_EQ(shortcut.length, walked.length) << text << " " << start << " " << end;
        }
      }
    }
  }
}

}  // namespace
