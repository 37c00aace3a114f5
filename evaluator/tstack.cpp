#include "evaluator/tstack.h"

#include <cstring>

namespace evaluator {

std::int32_t TStack::Insert(std::int32_t position, std::uint8_t code, double value, Place place) noexcept {
  // Push refuses a token when the stack is full, wherever it was to go.
  if (position < 0 || position >= Count || Count >= Capacity) return Push(code, value, place);
  const auto moved = static_cast<std::size_t>(Count - position);
  std::memmove(Codes + position + 1, Codes + position, moved);
  std::memmove(Values + position + 1, Values + position, moved * sizeof(double));
  std::memmove(Places + position + 1, Places + position, moved * sizeof(Place));
  Codes[position] = code;
  Values[position] = value;
  Places[position] = place;
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
  std::memmove(Places + position, Places + position + 1, moved * sizeof(Place));
  return --Count;
}

}  // namespace evaluator
