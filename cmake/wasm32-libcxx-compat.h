// Force-included in the wasm build. The C++ library of Debian's emscripten
// 3.1.6 predates std::bit_cast; the compiler's builtin is the same
// operation, constexpr included.
#pragma once

#ifdef __cplusplus
#include <version>
#if !defined(__cpp_lib_bit_cast)
#include <type_traits>

namespace std {
template <class To, class From>
  requires(sizeof(To) == sizeof(From) && is_trivially_copyable_v<To> && is_trivially_copyable_v<From>)
constexpr To bit_cast(const From& from) noexcept {
  return __builtin_bit_cast(To, from);
}
}  // namespace std
#endif
#endif
