#pragma once

#include <cstdint>

#include "evaluator/outcome.h"

namespace evaluator {

// A bounded stack of tokens in parallel arrays: code, value and the token's
// place in the working text. Entry 0 is the bottom. The arrays are members,
// so a stack costs no allocation; their contents beyond Count are never read.
class TStack {
 public:
  static constexpr std::int32_t Capacity = 256;

  std::int32_t Count = 0;
  // 0 normally, 1 once an insertion found the stack full, -1 once a removal
  // found it empty. Never reset.
  std::int32_t Status = 0;
  std::uint8_t Codes[Capacity];
  double Values[Capacity];
  Place Places[Capacity];

  TStack() noexcept {}
  TStack(const TStack&) = delete;
  TStack& operator=(const TStack&) = delete;

  // A negative position means on top. Returns the new count.
  std::int32_t Insert(std::int32_t position, std::uint8_t code, double value, Place place = {}) noexcept;
  // Insert on top, the scanner's only kind of insertion.
  std::int32_t Push(std::uint8_t code, double value, Place place) noexcept {
    if (Count >= Capacity) {
      Status = 1;  // refused: the driver reports the Stack error
      return Count;
    }
    Codes[Count] = code;
    Values[Count] = value;
    Places[Count] = place;
    return ++Count;
  }
  // A negative position, or one not below Count, means the top.
  std::int32_t Remove(std::int32_t position) noexcept;
};

}  // namespace evaluator
