#pragma once

#include <string>

// Expression texts the benchmarks share, so that every benchmark's "sum100"
// is the same text.
namespace bench {

// n decimals with one or two digits each side of the point, joined by "+".
inline std::string SumOf(int terms) {
  std::string s;
  for (int i = 0; i < terms; ++i) {
    if (i) s += '+';
    s += std::to_string(i % 97) + "." + std::to_string(i % 7 + 1);
  }
  return s;
}

}  // namespace bench
