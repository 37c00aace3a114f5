// Short printable-ASCII texts are evaluated where the caller keeps them,
// without a copy: nothing may be read past their terminating NUL, and
// nothing of them may be written.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "evalo.h"

namespace {

struct Result {
  std::uint64_t bits;
  int code;
  long offset;
  long length;
  std::string text;

  bool operator==(const Result&) const = default;
};

Result EvaluateIn(evalo_context* ctx, const char* text) {
  Result r;
  r.bits = std::bit_cast<std::uint64_t>(evalo_evaluate(ctx, text));
  r.code = evalo_error(ctx);
  r.offset = evalo_error_offset(ctx);
  r.length = evalo_error_length(ctx);
  r.text = evalo_evaluate_text(ctx, text);
  return r;
}

// Every prefix of these texts ends inside a number, a word, a bracket run
// or an error: where a scan that looks ahead would step past the end.
constexpr const char* kTexts[] = {
    "(1+2)*3.5-4/2", "SIN(0.5)+COS(0.5)*SQRT(2)", "1,234.5+2", "12..3", "2^-3", "-(-(-1))",
    "1+*2",          "((1)",                      "ABC DEF",   "PI*2 ",  "1 2", "1E5",
};

// Bytes that would change a result if read: a digit, an exponent, a word, an
// open bracket, signs, and full-width and "=" bytes that need mapping.
constexpr std::string_view kAfterTheEnd = "9E+(SIN1.5,*\x82\x50=";

TEST(CallerText, NothingPastTheEndIsReadOrWritten) {
  evalo_context* ctx = evalo_create();
  ASSERT_NE(ctx, nullptr);
  for (const char* whole : kTexts) {
    for (std::size_t n = 0; n <= std::strlen(whole); ++n) {
      const std::string prefix(whole, n);
      // Exactly the text and its NUL on the heap: a sanitizer sees any read
      // past it.
      const auto exact = std::make_unique<char[]>(n + 1);
      std::memcpy(exact.get(), prefix.c_str(), n + 1);
      const Result expected = EvaluateIn(ctx, exact.get());

      std::string followed = prefix;
      followed += '\0';
      followed += kAfterTheEnd;
      const std::string before = followed;
      EXPECT_EQ(EvaluateIn(ctx, followed.data()), expected) << '"' << prefix << '"';
      EXPECT_EQ(followed, before) << '"' << prefix << "\" was written";
    }
  }
  evalo_destroy(ctx);
}

}  // namespace
