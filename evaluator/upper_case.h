#pragma once

#include <cstddef>

namespace evaluator {

// Upper-cases a word in place by code page 932 rules: "a"-"z", and the
// double-byte small Latin, Greek and Cyrillic letters. A lead byte takes the
// next byte as its trail; a trail byte is never changed on its own; the
// length does not change.
void UpperCaseWord(char* word, std::size_t length) noexcept;

}  // namespace evaluator
