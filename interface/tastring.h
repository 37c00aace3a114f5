#pragma once

#include <cstdint>

namespace interface {

// A growable NUL-terminated byte text, grown in steps of 80 bytes. Local
// use only: never shared, never copied.
class TAstring {
 public:
  static constexpr std::int32_t kGrowthStep = 80;

  TAstring() noexcept;
  ~TAstring();
  TAstring(const TAstring&) = delete;
  TAstring& operator=(const TAstring&) = delete;

  void Reserve(std::int32_t n) noexcept;
  void Assign(const char* text) noexcept;
  void Prepend(const char* text) noexcept;

  std::int32_t Length() const noexcept { return length_; }
  bool Failed() const noexcept { return failed_ != 0; }
  char* Text() noexcept { return text_; }

 private:
  std::int32_t length_ = 0;
  std::int32_t capacity_ = 0;
  std::int32_t failed_ = 0;
  char* text_ = nullptr;
};

}  // namespace interface
