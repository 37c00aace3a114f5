#include "evaluator/keywords.h"

#include <array>
#include <iterator>

namespace evaluator {

namespace {

// The keys hash into 128 slots with one multiplication, and no two keywords
// share a slot: a lookup is one multiplication, one load and one compare.
constexpr int kSlotBits = 7;
constexpr std::size_t kSlotCount = std::size_t{1} << kSlotBits;
constexpr std::uint8_t kNoKeyword = 0xFF;

constexpr std::size_t SlotOf(std::uint64_t key, std::uint64_t multiplier) noexcept {
  return static_cast<std::size_t>((key * multiplier) >> (64 - kSlotBits));
}

constexpr bool SpreadsWithoutCollision(std::uint64_t multiplier) noexcept {
  std::array<bool, kSlotCount> taken{};
  for (const Keyword& k : kKeywords) {
    const std::size_t slot = SlotOf(KeyOf(k.word), multiplier);
    if (taken[slot]) return false;
    taken[slot] = true;
  }
  return true;
}

// The first odd multiplier upward from 0x9E3779B97F4A7C15 (2^64 divided by
// the golden ratio) that spreads the table, found once offline: searching
// at compile time takes more steps than some compilers allow.
constexpr std::uint64_t kMultiplier = 0x9E3779B97F4AA71D;
static_assert(SpreadsWithoutCollision(kMultiplier), "the keyword table changed: find a new multiplier");

struct Slots {
  std::array<std::uint8_t, kSlotCount> entry;
  std::array<std::uint64_t, std::size(kKeywords)> key;
};

constexpr Slots MakeSlots() noexcept {
  Slots slots{};
  slots.entry.fill(kNoKeyword);
  for (std::size_t i = 0; i < std::size(kKeywords); ++i) {
    slots.key[i] = KeyOf(kKeywords[i].word);
    slots.entry[SlotOf(slots.key[i], kMultiplier)] = static_cast<std::uint8_t>(i);
  }
  return slots;
}
constexpr Slots kSlots = MakeSlots();

}  // namespace

const Keyword* LookUpKeyword(std::uint64_t upperKey) noexcept {
  const std::uint8_t i = kSlots.entry[SlotOf(upperKey, kMultiplier)];
  return i != kNoKeyword && kSlots.key[i] == upperKey ? &kKeywords[i] : nullptr;
}

}  // namespace evaluator
