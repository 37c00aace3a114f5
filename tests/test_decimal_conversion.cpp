// The decimal conversions (literal to double, double to digits) are the
// same code on every platform. Where the standard library has its own
// correctly rounded conversions they serve as the oracle: both sides must
// agree on every value, above all on the ties and near-halfway inputs where
// a conversion that is merely close would differ.
#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "evaluator/decimal_literal.h"
#include "evaluator/outcome.h"
#include "presentation/decimal_text.h"

namespace {

using evaluator::error_code::kMath;

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

double Literal(const std::string& text, std::int32_t& code) {
  code = 0;
  return evaluator::ConvertLiteral(text, text.find(',') != std::string::npos, code);
}

// Ends of the range and subnormals, checked on every platform.
TEST(DecimalLiteral, RangeEnds) {
  struct Row {
    std::string text;
    double value;
    std::int32_t code;
  };
  const std::string largest =
      "1797693134862315708145274237317043567980705675258449965989174768031572607800285387605895586327668781715404589535"
      "1438246423432132688946418276846754670353751698604991057655128207624549009038932894407586850845513394230458323690"
      "3222948165808559332123348274797826204144723168738177180919299881250404026184124858368";
  // Halfway from the largest double to 2^1024: it and above overflow.
  const std::string halfwayToOverflow =
      "1797693134862315807937289714053034150799341327100378269361737789804449682927647509466490179775872070963302864166"
      "9288791094655554785194040263065748867150582068190890200070838367627385484581771153176447573027006985557136695962"
      "2842914819860834936475292719074168444365510704342711559699508093042880177904174497792";
  const std::string fraction = "0." + std::string(307, '0');  // the first digit after it is at 10^-308
  const Row rows[] = {
      {largest, DBL_MAX, 0},
      {halfwayToOverflow.substr(0, halfwayToOverflow.size() - 1) + "1.9", DBL_MAX, 0},
      {halfwayToOverflow, 0, kMath},
      {"1" + std::string(310, '0'), 0, kMath},
      {fraction + "22250738585072014", DBL_MIN, 0},
      {fraction + "00000000000000004940656458412465441765687928682213723651", std::numeric_limits<double>::denorm_min(), 0},
      // Just below half the smallest subnormal: zero, not an error.
      {fraction + "00000000000000002470328229206232720882538", 0, 0},
      {"1,234,567,890,123,456,789,012", 1234567890123456789012.0, 0},
      {"0.1000000000000000055511151231257827021181583404541015625", 0.1, 0},
      {"9007199254740993", 9007199254740992.0, 0},  // halfway: ties to even
      {"9007199254740995", 9007199254740996.0, 0},
      {".", 0, 0},
      {"12345678901234567890.", 12345678901234567890.0, 0},
      {".000000000000000000000000000001", 1e-30, 0},
  };
  for (const Row& row : rows) {
    std::int32_t code = 0;
    const double value = Literal(row.text, code);
    EXPECT_EQ(Bits(value), Bits(row.value)) << row.text;
    EXPECT_EQ(code, row.code) << row.text;
  }
}

// A long literal with commas goes through a copy of its own.
TEST(DecimalLiteral, LongLiteralWithCommas) {
  std::string text = "1";
  std::string plain = "1";
  for (int i = 0; i < 100; ++i) {
    text += ",000";
    plain += "000";
  }
  text += ".5";
  plain += ".5";
  std::int32_t withCommas = 0;
  std::int32_t without = 0;
  EXPECT_EQ(Bits(Literal(text, withCommas)), Bits(Literal(plain, without)));
  EXPECT_EQ(Bits(Literal(plain, without)), Bits(1e300));
  EXPECT_EQ(withCommas, 0);
}

#if defined(__cpp_lib_to_chars) && LDBL_MANT_DIG == 64

// Every double's neighbourhood: the exact midpoint to its successor (an
// 80-bit long double holds it exactly) in plain decimal, and the same text
// nudged one unit either way in its last digit.
std::vector<std::string> NearHalfwayLiterals(std::mt19937_64& random, int count) {
  std::vector<std::string> texts;
  std::uniform_int_distribution<std::uint64_t> finite(1, 0x7FEFFFFFFFFFFFFFull);
  for (int i = 0; i < count; ++i) {
    const double low = std::bit_cast<double>(finite(random));
    const double high = std::nextafter(low, INFINITY);
    const long double midpoint = (static_cast<long double>(low) + high) / 2;
    // Up to 309 integer digits, the point and 1100 decimals, and the NUL.
    std::vector<char> buffer(1412);
    const int length = std::snprintf(buffer.data(), buffer.size(), "%.1100Lf", midpoint);
    if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
      ADD_FAILURE() << "the midpoint's text does not fit";
      continue;
    }
    std::string text(buffer.data(), static_cast<std::size_t>(length));
    while (text.back() == '0') text.pop_back();
    texts.push_back(text);
    std::string above = text;
    above.push_back('1');
    texts.push_back(above);
    std::string below = text;
    for (std::size_t k = below.size(); k-- > 0;) {  // subtract one unit in the last place
      if (below[k] == '.') continue;
      if (below[k] != '0') {
        --below[k];
        break;
      }
      below[k] = '9';
    }
    texts.push_back(below);
  }
  return texts;
}

TEST(DecimalLiteral, AgreesWithTheStandardLibrary) {
  std::mt19937_64 random(12);
  std::vector<std::string> texts = NearHalfwayLiterals(random, 3000);
  // Plain random literals of every length the short path does not take.
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(17, 400);
  for (int i = 0; i < 20000; ++i) {
    const int n = length(random);
    const int point = std::uniform_int_distribution<int>(0, n)(random);
    std::string text;
    for (int k = 0; k <= n; ++k) text.push_back(k == point ? '.' : static_cast<char>('0' + digit(random)));
    texts.push_back(text);
  }
  int differences = 0;
  for (const std::string& text : texts) {
    double expected = 0;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), expected);
    if (parsed.ec == std::errc::result_out_of_range) continue;  // the range ends are tested above
    std::int32_t code = 0;
    const double value = Literal(text, code);
    if (Bits(value) != Bits(expected) || code != 0) {
      if (++differences <= 5) ADD_FAILURE() << text << ": " << value << " instead of " << expected;
    }
  }
  EXPECT_EQ(differences, 0) << "of " << texts.size();
}

// Doubles drawn over the whole range, and doubles whose exact value ends in
// a 5 just after the kept digit: m/2 and m/4 with m odd and 15 and 14
// integer digits have 16 significant digits, a tie at 15; m/16 with 15
// integer digits has 19, a tie at 18.
std::vector<double> DoublesToWrite(std::mt19937_64& random) {
  std::vector<double> values;
  std::uniform_int_distribution<std::uint64_t> finite(1, 0x7FEFFFFFFFFFFFFFull);
  for (int i = 0; i < 50000; ++i) values.push_back(std::bit_cast<double>(finite(random)));
  std::uniform_int_distribution<std::uint64_t> quarterTies(40'000'000'000'000, 399'999'999'999'999);
  std::uniform_int_distribution<std::uint64_t> sixteenthTies(1'600'000'000'000'000, 9'000'000'000'000'000);
  std::uniform_int_distribution<std::uint64_t> halfTies(200'000'000'000'000, 1'999'999'999'999'999);
  for (int i = 0; i < 5000; ++i) {
    values.push_back(static_cast<double>(quarterTies(random) | 1) / 4);
    values.push_back(static_cast<double>(sixteenthTies(random) | 1) / 16);
    values.push_back(static_cast<double>(halfTies(random) | 1) / 2);
  }
  for (double x : {0.125, 0.375, 2.5, 1e15 + 0.5, 1e-320, DBL_MIN, DBL_MAX, 123456789012345.25})
    values.push_back(x);
  return values;
}

// The header-only digits, which serve where the standard library has no
// floating-point to_chars, against the standard library's, in both forms.
TEST(DecimalDigits, HeaderOnlyAgreesWithTheStandardLibrary) {
  struct Form {
    const char* name;
    std::chars_format format;
    int precision;
    char* (*write)(char*, double) noexcept;
  };
  const Form forms[] = {
      {"15 digits", std::chars_format::general, 15, presentation::header_only::WriteFifteenDigitsGeneral},
      {"18 digits", std::chars_format::scientific, 17, presentation::header_only::WriteEighteenDigitsScientific},
  };
  std::mt19937_64 random(15);
  int differences = 0;
  for (double x : DoublesToWrite(random)) {
    for (double signedX : {x, -x}) {
      for (const Form& form : forms) {
        char expected[32];
        *std::to_chars(expected, expected + sizeof expected, signedX, form.format, form.precision).ptr = '\0';
        char text[32];
        *form.write(text, signedX) = '\0';
        if (std::string(text) != expected && ++differences <= 5)
          ADD_FAILURE() << form.name << ": " << text << " instead of " << expected;
      }
    }
  }
  EXPECT_EQ(differences, 0);
}

#endif

}  // namespace
