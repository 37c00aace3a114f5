#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

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

// The entry equal to the whole upper-cased word, or nullptr.
const Keyword* LookUpKeyword(std::string_view upperWord) noexcept;

}  // namespace evaluator
