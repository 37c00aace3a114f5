#pragma once

#include <cstdint>
#include <type_traits>

namespace evaluator {

// The error codes an evaluation leaves behind.
namespace error_code {
inline constexpr std::int32_t kNone = 0;
inline constexpr std::int32_t kSyntax = 1;
inline constexpr std::int32_t kBracket = 2;
inline constexpr std::int32_t kStack = 3;
inline constexpr std::int32_t kMemory = 4;
inline constexpr std::int32_t kFormat = 5;
inline constexpr std::int32_t kMath = -1;
}  // namespace error_code

// Where a token lies in the working text: bytes [start, end). A number made
// by folding spans everything it was folded from. Trivial on purpose: a
// stack holds 256 of them, which must cost nothing to create.
struct Place {
  std::uint32_t start;
  std::uint32_t end;
};
static_assert(std::is_trivially_default_constructible_v<Place>);

inline Place Spanning(Place first, Place last) noexcept { return {first.start, last.end}; }

// The error of an evaluation so far: its code and the token where it arose.
struct ErrorState {
  std::int32_t code = error_code::kNone;
  Place place{};

  // A code replaces the one before it, and its place with it; the same code
  // raised again keeps the place where it arose first.
  void Raise(std::int32_t newCode, Place where) noexcept {
    if (newCode == code) return;
    code = newCode;
    place = where;
  }
};

// What an evaluation hands back. place is meaningful only with a code.
struct Outcome {
  double value;
  std::int32_t code;
  Place place;
};

}  // namespace evaluator
