#pragma once

#include <cstdint>

namespace evaluator {

// A bounded stack of tokens in parallel arrays: code, value and where the
// token starts in the working text (a folded number starts where the first
// token folded into it starts). Entry 0 is the bottom. The arrays are
// members, so a stack costs no allocation; their contents beyond Count are
// never read.
class TStack {
 public:
  static constexpr std::int32_t Capacity = 256;

  std::int32_t Count = 0;
  // 0 normally, 1 once an insertion found the stack full, -1 once a removal
  // found it empty. Never reset.
  std::int32_t Status = 0;
  std::uint8_t Codes[Capacity];
  double Values[Capacity];
  std::uint32_t Starts[Capacity];

  TStack() noexcept {}
  TStack(const TStack&) = delete;
  TStack& operator=(const TStack&) = delete;

  // A negative position means on top. Returns the new count.
  std::int32_t Insert(std::int32_t position, std::uint8_t code, double value, std::uint32_t start = 0) noexcept;
  // Insert on top, the scanner's only kind of insertion.
  // The count is read once: a store to Codes, a byte array, could alias any
  // member as far as the compiler knows.
  std::int32_t Push(std::uint8_t code, double value, std::uint32_t start) noexcept {
    const std::int32_t n = Count;
    if (n >= Capacity) {
      Status = 1;  // refused: the driver reports the Stack error
      return n;
    }
    Values[n] = value;
    Starts[n] = start;
    Count = n + 1;
    Codes[n] = code;
    return n + 1;
  }
  // A negative position, or one not below Count, means the top.
  std::int32_t Remove(std::int32_t position) noexcept;
};

}  // namespace evaluator
