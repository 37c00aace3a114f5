// The 15-digit text of doubles whose exact value needs no rounding, written
// without the general conversion: it must give the general conversion's
// text to the byte, and decline everything it cannot write exactly.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

#include "presentation/decimal_text.h"

namespace {

std::string General(double x) {
  char text[32];
  *presentation::header_only::WriteFifteenDigitsGeneral(text, x) = '\0';
  return text;
}

// The exact text, or "declined".
std::string Exact(double x) {
  char text[32];
  char* end = presentation::WriteExactFifteenDigitsGeneral(text, x);
  if (end == nullptr) return "declined";
  *end = '\0';
  return text;
}

TEST(ExactDigits, WritesShortValuesAndDeclinesTheRest) {
  struct Row {
    double x;
    const char* text;
  };
  const Row rows[] = {
      {0.0, "0"},
      {-0.0, "-0"},
      {3, "3"},
      {8.5, "8.5"},
      {-2.75, "-2.75"},
      {100, "100"},
      {999999999999999, "999999999999999"},
      {-123456789012345.0, "-123456789012345"},
      {12345678901234.5, "12345678901234.5"},
      {0.0009765625, "0.0009765625"},        // 2^-10: the smallest decimal exponent in fixed form
      {std::ldexp(1.0, -21), "declined"},      // 4.76837158203125e-07
      {1e15, "declined"},                     // 16 digits
      {1e15 + 2, "declined"},
      {0.1, "declined"},                      // no short binary expansion
      {1.0 / 3, "declined"},
      {std::ldexp(1.0, -14), "declined"},     // 6.103515625e-05: scientific form
      {1 + std::ldexp(1.0, -30), "declined"}, // 31 digits
      {1e300, "declined"},
      {DBL_MIN, "declined"},
      {DBL_TRUE_MIN, "declined"},
      {std::numeric_limits<double>::infinity(), "declined"},
      {std::numeric_limits<double>::quiet_NaN(), "declined"},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Exact(row.x), row.text) << General(row.x);
    if (std::string(row.text) != "declined") {
      EXPECT_EQ(row.text, General(row.x));
    }
  }
}

// Integers and short binary fractions over the whole range where the exact
// path can apply, with their neighbours: wherever it writes, the text is
// the general conversion's.
TEST(ExactDigits, AgreesWithTheGeneralConversion) {
  std::mt19937_64 random(2);
  std::uniform_int_distribution<int> fractionBits(0, 30);
  std::uniform_int_distribution<int> magnitude(0, 52);
  int written = 0;
  int differences = 0;
  for (int i = 0; i < 200000; ++i) {
    const std::uint64_t m = random() >> (11 + magnitude(random));
    const double base = std::ldexp(static_cast<double>(m), -fractionBits(random));
    for (double x : {base, -base, std::nextafter(base, 0.0), std::nextafter(base, 1e300)}) {
      const std::string exact = Exact(x);
      if (exact == "declined") continue;
      ++written;
      if (exact != General(x) && ++differences <= 5) ADD_FAILURE() << exact << " instead of " << General(x);
    }
  }
  EXPECT_EQ(differences, 0);
  EXPECT_GT(written, 100000);  // most base values take the exact path
}

}  // namespace
