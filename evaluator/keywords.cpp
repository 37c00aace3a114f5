#include "evaluator/keywords.h"

#include <algorithm>
#include <iterator>

#include "evaluator/token.h"

namespace evaluator {

namespace {

constexpr double kFn = rank::kFunction;
constexpr double kTrig = rank::kTrigFunction;

// Bytes are code page 932: 83 CE small pi, 83 AE capital pi, 81 E3 root.
constexpr Keyword kKeywords[] = {
    {"\x83\xCE", kNumberCode, kPi, false},
    {"\x83\xAE", kNumberCode, kPi, false},
    {"PI", kNumberCode, kPi, false},
    {"SIN", 'S', kTrig, false},
    {"COS", 'C', kTrig, false},
    {"TAN", 'T', kTrig, false},
    {"ASIN", 's', kTrig, false},
    {"ACOS", 'c', kTrig, false},
    {"ATAN", 't', kTrig, false},
    {"SINH", 0x93, kTrig, false},
    {"COSH", 0x83, kTrig, false},
    {"TANH", 0x94, kTrig, false},
    {"ASINH", 0xB3, kTrig, false},
    {"ACOSH", 0xA3, kTrig, false},
    {"ATANH", 0xB4, kTrig, false},
    {"\x81\xE3", 'Q', kFn, false},
    {"SQRT", 'Q', kFn, false},
    {"LOG", 'L', kFn, false},
    {"LN", 'l', kFn, false},
    {"EXP", 'E', kFn, false},
    {"E", kExponentMarkerCode, rank::kExponentMarker, false},
    {"SIN\x83\xAE", 'S', kTrig, true},
    {"COS\x83\xAE", 'C', kTrig, true},
    {"TAN\x83\xAE", 'T', kTrig, true},
    {"DEGREE", 'D', kFn, false},
    {"RADIAN", 'R', kFn, false},
    {"FLOOR", 'F', kFn, false},
    {"CEIL", 'f', kFn, false},
    {"ABS", 'A', kFn, false},
    {"FRAC", 'M', kFn, false},
    {"ROUND", 'O', kFn, false},
};
static_assert(std::size(kKeywords) == 31);

}  // namespace

const Keyword* LookUpKeyword(std::string_view upperWord) noexcept {
  const auto found = std::find_if(std::begin(kKeywords), std::end(kKeywords),
                                  [&](const Keyword& k) { return k.word == upperWord; });
  return found == std::end(kKeywords) ? nullptr : found;
}

}  // namespace evaluator
