#pragma once

#include <cstdint>

// Constants of the trigonometric primitives, written by
// trig_generate_tables.py. Fixed-point entries of N words hold
// floor(v · 2^(64N − 2)) as big-endian words; the first n words of an entry
// are the value truncated to n words.

namespace evaluator::trig {

// Words of 2/π below the binary point. A result of N words needs N + 3 of
// them: below 2^63 the fraction of x·2/π never has more than 69 leading
// zeros (the closest case is x = 18102975828909478217·2^-15, found by
// trig_close_cases.py), the product's lowest word is inexact, and a few
// guard bits remain.
inline constexpr int kReductionWords = 11;
extern const std::uint64_t kTwoOverPi[kReductionWords];

inline constexpr int kWideWords = 8;
extern const std::uint64_t kHalfPi[1][kWideWords];
extern const std::uint64_t kPi[1][kWideWords];

// 1/(2k+1)!, 1/(2k)! and 1/(2k+1), k = 0, 1, ...
extern const std::uint64_t kSinCoefficients[28][kWideWords];
extern const std::uint64_t kCosCoefficients[28][kWideWords];
extern const std::uint64_t kAtanCoefficients[52][kWideWords];

// sin, cos and atan at j/256 in two words (the fast path) and at j/16 in
// eight (the slow path); j runs to round(256·π/4), round(16·π/4) for the
// sine and cosine and to 256, 16 for the arc tangent.
extern const std::uint64_t kSinFine[202][2];
extern const std::uint64_t kCosFine[202][2];
extern const std::uint64_t kAtanFine[257][2];
extern const std::uint64_t kSinCoarse[14][kWideWords];
extern const std::uint64_t kCosCoarse[14][kWideWords];
extern const std::uint64_t kAtanCoarse[17][kWideWords];

}  // namespace evaluator::trig
