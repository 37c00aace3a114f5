// The scanner's own shortcuts: keyword lookup by key, "=" as the end of the
// text, literals converted as they are read, runs of brackets.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <iterator>
#include <utility>
#include <string>
#include <vector>

#include "evaluator/driver.h"
#include "evaluator/keywords.h"

namespace {

using evaluator::EvaluateExpression;
using evaluator::Keyword;
using evaluator::kKeywords;
using evaluator::LookUpKeyword;

const Keyword* LookUpByScan(const std::string& word) {
  const auto found = std::find_if(std::begin(kKeywords), std::end(kKeywords),
                                  [&](const Keyword& k) { return k.word == word; });
  return found == std::end(kKeywords) ? nullptr : found;
}

// Every keyword, every prefix of one, every one with a byte added, and every
// one with a byte changed to its neighbours: the hashed lookup must find
// exactly what a plain search of the table finds.
TEST(ScannerKeywords, HashedLookupAgreesWithTheTable) {
  std::vector<std::string> words;
  for (const Keyword& k : kKeywords) {
    const std::string word(k.word);
    for (std::size_t n = 1; n <= word.size(); ++n) words.push_back(word.substr(0, n));
    for (const char extra : {'H', 'A', 'S', '\xAE', 'X'}) words.push_back(word + extra);
    for (std::size_t i = 0; i < word.size(); ++i) {
      for (const int delta : {-1, +1, +0x20}) {
        std::string changed = word;
        changed[i] = static_cast<char>(changed[i] + delta);
        words.push_back(changed);
      }
    }
  }
  words.insert(words.end(), {"SINHX", "ASINHX", "DEGREES", "RADIANS", "\x83\xAE\x83\xAE", "Z"});
  int found = 0;
  for (const std::string& word : words) {
    const Keyword* expected = LookUpByScan(word);
    EXPECT_EQ(LookUpKeyword(word), expected) << word;
    found += expected != nullptr;
  }
  EXPECT_GE(found, static_cast<int>(std::size(kKeywords)));
}

struct Seen;
Seen Scan(const std::string& text);

struct Seen {
  std::uint64_t valueBits;
  std::int32_t code;
  std::uint32_t start;
  std::uint32_t end;
  bool operator==(const Seen&) const = default;
};

Seen Scan(const std::string& text) {
  const evaluator::Outcome out = EvaluateExpression(text.c_str());
  if (out.code == 0) return {std::bit_cast<std::uint64_t>(out.value), 0, 0, 0};
  return {std::bit_cast<std::uint64_t>(out.value), out.code, out.place.start, out.place.end};
}

// "=" ends the text wherever it stands: in a literal, in a word, after an
// open bracket, before anything at all.
TEST(ScannerEnd, EqualsSignEndsTheText) {
  for (const char* cut : {"1+2", "12", "1.5", "1,234", "SIN", "ab", "(", "(1+", "2*(3", "  ", "", "5 xyz", "1/0"}) {
    const std::string text(cut);
    for (const char* tail : {"=", "=3", "=xyz", "==", "=)"}) {
      EXPECT_EQ(Scan(text + tail), Scan(text)) << '"' << text + tail << '"';
    }
  }
}

// Words of ASCII bytes are upper-cased as they are read; words with a
// double-byte character go through the character-wise upper-casing.
TEST(ScannerKeywords, WordsMatchWhateverTheirCase) {
  const std::pair<const char*, const char*> same[] = {
      {"aBs(-2)", "ABS(-2)"},       {"sinh1+cOsH1", "SINH1+COSH1"}, {"e", "E"},
      {"2e3", "2E3"},               {"sin\x83\xCE", "SIN\x83\xAE"}, {"Cos\x83\xAE", "COS\x83\xAE"},
      {"\x83\xCE", "PI"},           {"\x81\xE3" "4", "SQRT4"},
  };
  for (const auto& [text, upper] : same) EXPECT_EQ(Scan(text), Scan(upper)) << text;
  for (const char* unknown : {"sinx", "\x83\xCE\x83\xCE", "\x82\x8Fi", "ab\x83", "radians"})
    EXPECT_EQ(Scan(unknown).code, 1) << unknown;
}

struct ValueRow {
  const char* text;
  double value;
};

// Literals converted as they are read, beside those that take the long way
// (commas, more digits than one 64-bit number holds, a quotient that is not
// exact): the values must not depend on the way.
TEST(ScannerLiterals, QuickAndLongWaysAgree) {
  const ValueRow rows[] = {
      {"0.1", 0.1},
      {"9007199254740992", 9007199254740992.0},
      {"9007199254740993", 9007199254740992.0},  // above 2^53: nearest, ties to even
      {"9007199254740995", 9007199254740996.0},
      {"1234567890123456789", 1234567890123456789.0},
      {"12345678901234567890", 12345678901234567890.0},  // 20 digits
      {"0.0000000000000000000001", 1e-22},
      {"0.00000000000000000000001", 1e-23},  // 23 decimals
      {"00000000000000000000000000001.5", 1.5},
      {"1,234.5", 1234.5},
      {".", 0.0},
      {"5.", 5.0},
      {".5", 0.5},
  };
  for (const ValueRow& row : rows) {
    const evaluator::Outcome out = EvaluateExpression(row.text);
    EXPECT_EQ(out.code, 0) << row.text;
    EXPECT_EQ(std::bit_cast<std::uint64_t>(out.value), std::bit_cast<std::uint64_t>(row.value)) << row.text;
  }
  for (const char* rejected : {"1.2.3", "1..", "1,23", "1.5,3", "5.,"}) EXPECT_EQ(EvaluateExpression(rejected).code, 1) << rejected;
}

struct BracketRow {
  const char* text;
  double value;
  std::int32_t code;
  std::uint32_t start;
  std::uint32_t end;
};

// Runs of brackets fold single numbers without the rules; whatever stands
// next to such a group must still meet them.
TEST(ScannerBrackets, RunsFoldAsTheRulesWould) {
  const BracketRow rows[] = {
      {"((((1))))", 1, 0, 0, 0},
      {"[({-2})]", -2, 0, 0, 0},
      {"-((2))", -2, 0, 0, 0},
      {"3*((2))^2", 12, 0, 0, 0},
      {"SIN((0))", 0, 0, 0, 0},
      {"((1)+(2))*2", 6, 0, 0, 0},
      {"((1)(2))", 0, 1, 4, 7},  // two numbers side by side in a group
      {"2((3))", 0, 1, 1, 6},
      {"((1]))", 0, 2, 3, 4},
      {"(1))", 0, 2, 3, 4},
      {"((1)", 0, 2, 0, 1},
  };
  for (const BracketRow& row : rows) {
    EXPECT_EQ(Scan(row.text), (Seen{std::bit_cast<std::uint64_t>(row.value), row.code, row.start, row.end}))
        << row.text;
  }
}

}  // namespace
