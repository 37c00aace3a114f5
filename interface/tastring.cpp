#include "interface/tastring.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace interface {

// Capacity starts at 0 although 80 bytes are allocated, so the first Reserve
// resizes the block to a multiple of 80.
TAstring::TAstring() noexcept {
  text_ = static_cast<char*>(std::malloc(kGrowthStep));
  if (text_ == nullptr) {
    failed_ = 1;
    return;
  }
  text_[0] = '\0';
}

TAstring::~TAstring() { std::free(text_); }

// Grows the capacity in steps of 80 bytes until length + n fits, with one
// resize to the final size: resizing at every step costs quadratic time on
// long texts where the allocator cannot grow in place.
void TAstring::Reserve(std::int32_t n) noexcept {
  if (failed_ != 0) return;
  const std::int64_t needed = static_cast<std::int64_t>(length_) + n;
  if (needed <= capacity_) return;
  const std::int64_t steps = (needed - capacity_ + kGrowthStep - 1) / kGrowthStep;
  const std::int64_t grown = capacity_ + steps * kGrowthStep;
  if (grown > INT32_MAX) {
    failed_ = 1;
    return;
  }
  char* resized = static_cast<char*>(std::realloc(text_, static_cast<std::size_t>(grown)));
  if (resized == nullptr) {
    failed_ = 1;
    return;
  }
  text_ = resized;
  capacity_ = static_cast<std::int32_t>(grown);
}

void TAstring::Assign(const char* text) noexcept {
  const std::size_t size = std::strlen(text);
  if (size >= INT32_MAX) {
    failed_ = 1;
    return;
  }
  length_ = 0;
  Reserve(static_cast<std::int32_t>(size) + 1);
  if (failed_ != 0) return;
  std::memcpy(text_, text, size + 1);
  length_ = static_cast<std::int32_t>(size);
}

void TAstring::Prepend(const char* text) noexcept {
  const std::size_t size = std::strlen(text);
  if (size >= INT32_MAX) {
    failed_ = 1;
    return;
  }
  Reserve(static_cast<std::int32_t>(size) + 1);
  if (failed_ != 0) return;
  std::memmove(text_ + size, text_, static_cast<std::size_t>(length_) + 1);
  std::memcpy(text_, text, size);
  length_ += static_cast<std::int32_t>(size);
}

}  // namespace interface
