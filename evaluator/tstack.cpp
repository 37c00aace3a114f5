#include "evaluator/tstack.h"

#include <cstring>

namespace evaluator {

std::int32_t TStack::Insert(std::int32_t position, std::uint8_t code, double value, std::uint32_t start) noexcept {
  // Push refuses a token when the stack is full, wherever it was to go.
  if (position < 0 || position >= Count || Count >= Capacity) return Push(code, value, start);
  const auto moved = static_cast<std::size_t>(Count - position);
  std::memmove(Codes + position + 1, Codes + position, moved);
  std::memmove(Values + position + 1, Values + position, moved * sizeof(double));
  std::memmove(Starts + position + 1, Starts + position, moved * sizeof(std::uint32_t));
  Codes[position] = code;
  Values[position] = value;
  Starts[position] = start;
  return ++Count;
}

std::int32_t TStack::Remove(std::int32_t position) noexcept {
  if (Count == 0) {
    Status = -1;
    return 0;
  }
  if (position < 0 || position >= Count) return --Count;
  const auto moved = static_cast<std::size_t>(Count - 1 - position);
  std::memmove(Codes + position, Codes + position + 1, moved);
  std::memmove(Values + position, Values + position + 1, moved * sizeof(double));
  std::memmove(Starts + position, Starts + position + 1, moved * sizeof(std::uint32_t));
  return --Count;
}

}  // namespace evaluator
