// Force-included in the wasm build (cmake/WasmCompat.cmake). The C++
// library of Debian's emscripten 3.1.6 (libc++ 13) predates std::bit_cast,
// the range algorithms and floating-point to_chars/from_chars; these
// stand-ins have the same meaning for the uses in this code base. The
// conversions come from the same correctly rounded header-only libraries
// the evaluator uses.
#pragma once

// WebAssembly has no floating-point exception flags: its C library defines
// no FE_ flag macros. A flag that does not exist is 0, so that a test of
// "no flag raised" holds and raising one does nothing, as on the hardware.
#include <fenv.h>
#ifndef FE_INVALID
#define FE_INVALID 0
#define FE_DIVBYZERO 0
#define FE_OVERFLOW 0
#define FE_UNDERFLOW 0
#define FE_INEXACT 0
#endif

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

#if !defined(__cpp_lib_to_chars)
#include <charconv>
#include <system_error>

#include <fast_float/fast_float.h>
#include <fmt/compile.h>

namespace std {
inline to_chars_result to_chars(char* first, char* last, double value, chars_format format,
                                int precision) {
  const auto written = [&](auto result) -> to_chars_result {
    if (static_cast<std::size_t>(last - first) < result.size) return {last, errc::value_too_large};
    return {result.out, errc{}};
  };
  switch (format) {
    case chars_format::scientific:
      return written(fmt::format_to_n(first, static_cast<std::size_t>(last - first), "{:.{}e}", value, precision));
    case chars_format::fixed:
      return written(fmt::format_to_n(first, static_cast<std::size_t>(last - first), "{:.{}f}", value, precision));
    default:
      return written(fmt::format_to_n(first, static_cast<std::size_t>(last - first), "{:.{}g}", value, precision));
  }
}

// Out of range as the standard has it: a number too large for a double
// (fast_float gives infinity for it) is an error, "inf" written out is not.
inline from_chars_result from_chars(const char* first, const char* last, double& value,
                                    chars_format format = chars_format::general) {
  const fast_float::chars_format form = format == chars_format::scientific ? fast_float::chars_format::scientific
                                        : format == chars_format::fixed    ? fast_float::chars_format::fixed
                                                                           : fast_float::chars_format::general;
  double parsed = 0;
  const auto result = fast_float::from_chars(first, last, parsed, form);
  if (result.ec != errc{}) return {result.ptr, result.ec};
  const char* digits = first + (first != last && (*first == '-' || *first == '+'));
  if (__builtin_isinf(parsed) && digits != last && (*digits == '.' || (*digits >= '0' && *digits <= '9')))
    return {result.ptr, errc::result_out_of_range};
  value = parsed;
  return {result.ptr, errc{}};
}
}  // namespace std
#endif
#endif
