#include "interface/tastring.h"

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

void TAstring::Reserve(std::int32_t n) noexcept {
  if (failed_ != 0) return;
  while (static_cast<std::int64_t>(length_) + n > capacity_) {
    if (capacity_ > INT32_MAX - kGrowthStep) {
      failed_ = 1;
      return;
    }
    const std::int32_t grown = capacity_ + kGrowthStep;
    char* resized = static_cast<char*>(std::realloc(text_, static_cast<std::size_t>(grown)));
    if (resized == nullptr) {
      failed_ = 1;
      return;
    }
    text_ = resized;
    capacity_ = grown;
  }
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
