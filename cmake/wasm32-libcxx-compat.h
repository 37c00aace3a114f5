// Force-included in the wasm build. The C++ library of Debian's emscripten
// 3.1.6 (libc++ 13) predates std::bit_cast and the range algorithms; these
// stand-ins have the same meaning for the uses in this code base.
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

#if !defined(__cpp_lib_ranges)
#include <functional>
#include <iterator>

namespace std::ranges {
namespace compat {
struct Identity {
  template <class T>
  constexpr T&& operator()(T&& t) const noexcept {
    return std::forward<T>(t);
  }
};
}  // namespace compat

template <class Range, class Predicate, class Projection = compat::Identity>
constexpr bool all_of(Range&& range, Predicate predicate, Projection projection = {}) {
  for (auto&& element : range)
    if (!std::invoke(predicate, std::invoke(projection, element))) return false;
  return true;
}

template <class Range, class T, class Projection = compat::Identity>
constexpr auto count(Range&& range, const T& value, Projection projection = {}) {
  typename std::iterator_traits<decltype(std::begin(range))>::difference_type n = 0;
  for (auto&& element : range) n += std::invoke(projection, element) == value;
  return n;
}

template <class Range, class Compare = std::less<>, class Projection = compat::Identity>
constexpr bool is_sorted(Range&& range, Compare compare = {}, Projection projection = {}) {
  auto it = std::begin(range);
  const auto end = std::end(range);
  if (it == end) return true;
  for (auto next = std::next(it); next != end; it = next, ++next)
    if (std::invoke(compare, std::invoke(projection, *next), std::invoke(projection, *it))) return false;
  return true;
}

template <class Range, class T, class Compare = std::less<>, class Projection = compat::Identity>
constexpr auto lower_bound(Range&& range, const T& value, Compare compare = {}, Projection projection = {}) {
  auto first = std::begin(range);
  auto length = std::distance(first, std::end(range));
  while (length > 0) {
    const auto half = length / 2;
    const auto middle = std::next(first, half);
    if (std::invoke(compare, std::invoke(projection, *middle), value)) {
      first = std::next(middle);
      length -= half + 1;
    } else {
      length = half;
    }
  }
  return first;
}
}  // namespace std::ranges
#endif
#endif
