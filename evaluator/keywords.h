#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "evaluator/token.h"

namespace evaluator {

// One entry of the keyword table: the token it pushes, and for SINΠ, COSΠ
// and TANΠ a π number token after it.
struct Keyword {
  std::string_view word;  // upper-cased, code page 932 bytes
  std::uint8_t code;
  double value;           // the rank, or the number for a number token
  bool thenPi;
};

// No keyword is longer than this, in bytes.
inline constexpr std::size_t kLongestKeyword = 6;

namespace keyword_ranks {
inline constexpr double kFn = rank::kFunction;
inline constexpr double kTrig = rank::kTrigFunction;
}  // namespace keyword_ranks

// Bytes are code page 932: 83 CE small pi, 83 AE capital pi, 81 E3 root.
// The reducer reads the ranks of the function codes from here too.
inline constexpr Keyword kKeywords[] = {
    {"\x83\xCE", kNumberCode, kPi, false},
    {"\x83\xAE", kNumberCode, kPi, false},
    {"PI", kNumberCode, kPi, false},
    {"SIN", 'S', keyword_ranks::kTrig, false},
    {"COS", 'C', keyword_ranks::kTrig, false},
    {"TAN", 'T', keyword_ranks::kTrig, false},
    {"ASIN", 's', keyword_ranks::kTrig, false},
    {"ACOS", 'c', keyword_ranks::kTrig, false},
    {"ATAN", 't', keyword_ranks::kTrig, false},
    {"SINH", 0x93, keyword_ranks::kTrig, false},
    {"COSH", 0x83, keyword_ranks::kTrig, false},
    {"TANH", 0x94, keyword_ranks::kTrig, false},
    {"ASINH", 0xB3, keyword_ranks::kTrig, false},
    {"ACOSH", 0xA3, keyword_ranks::kTrig, false},
    {"ATANH", 0xB4, keyword_ranks::kTrig, false},
    {"\x81\xE3", 'Q', keyword_ranks::kFn, false},
    {"SQRT", 'Q', keyword_ranks::kFn, false},
    {"LOG", 'L', keyword_ranks::kFn, false},
    {"LN", 'l', keyword_ranks::kFn, false},
    {"EXP", 'E', keyword_ranks::kFn, false},
    {"E", kExponentMarkerCode, rank::kExponentMarker, false},
    {"SIN\x83\xAE", 'S', keyword_ranks::kTrig, true},
    {"COS\x83\xAE", 'C', keyword_ranks::kTrig, true},
    {"TAN\x83\xAE", 'T', keyword_ranks::kTrig, true},
    {"DEGREE", 'D', keyword_ranks::kFn, false},
    {"RADIAN", 'R', keyword_ranks::kFn, false},
    {"FLOOR", 'F', keyword_ranks::kFn, false},
    {"CEIL", 'f', keyword_ranks::kFn, false},
    {"ABS", 'A', keyword_ranks::kFn, false},
    {"FRAC", 'M', keyword_ranks::kFn, false},
    {"ROUND", 'O', keyword_ranks::kFn, false},
};
static_assert(std::size(kKeywords) == 31);

// Every token but a number carries its rank, and the rank follows from the
// code alone: the scanner and the rules read it here as a small integer.
// Code 0, the end token's, has rank 0, as has every code no token uses.
inline constexpr std::array<std::uint8_t, 256> kRankOfCode = [] {
  std::array<std::uint8_t, 256> ranks{};
  for (const char b : std::string_view("+-*^/(){}[]"))
    ranks[static_cast<std::uint8_t>(b)] = static_cast<std::uint8_t>(OperatorRank(b));
  for (const Keyword& k : kKeywords)
    if (k.code != kNumberCode) ranks[k.code] = static_cast<std::uint8_t>(k.value);
  return ranks;
}();

// A word of at most kLongestKeyword bytes as one integer, its first byte
// highest. No word holds a NUL byte, so words of different lengths never
// share a key.
constexpr std::uint64_t KeyOf(std::string_view word) noexcept {
  std::uint64_t key = 0;
  for (const char b : word) key = key << 8 | static_cast<std::uint8_t>(b);
  return key;
}

// The entry whose word has this key (see KeyOf, upper-cased bytes), or
// nullptr.
const Keyword* LookUpKeyword(std::uint64_t upperKey) noexcept;
inline const Keyword* LookUpKeyword(std::string_view upperWord) noexcept {
  return upperWord.size() <= kLongestKeyword ? LookUpKeyword(KeyOf(upperWord)) : nullptr;
}

}  // namespace evaluator
