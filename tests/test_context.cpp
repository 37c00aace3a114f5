// Contexts: call states of the host's own, one per thread.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "evalo.h"

namespace {

TEST(InterfaceContext, ContextsKeepTheirOwnState) {
  evalo_context* a = evalo_create();
  evalo_context* b = evalo_create();
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  evalo_set_format(a, "abc");
  EXPECT_STREQ(evalo_evaluate_text(a, "(1"), "Err.Bracket");
  EXPECT_STREQ(evalo_evaluate_text(b, "1+2"), "3");
  EXPECT_EQ(evalo_error(a), EVALO_ERR_BRACKET);
  EXPECT_STREQ(evalo_error_text(a), "Err.Bracket");
  EXPECT_EQ(evalo_error(b), EVALO_OK);
  EXPECT_STREQ(evalo_error_text(b), "");
  EXPECT_EQ(evalo_evaluate(a, "1/4"), 0.25);
  evalo_destroy(a);
  evalo_destroy(b);
}

TEST(InterfaceContext, NullContextReportsTheMemoryError) {
  EXPECT_EQ(evalo_evaluate(nullptr, "1"), 0);
  EXPECT_STREQ(evalo_evaluate_text(nullptr, "1"), "Err.Memory");
  EXPECT_EQ(evalo_error(nullptr), EVALO_ERR_MEMORY);
  EXPECT_STREQ(evalo_error_text(nullptr), "Err.Memory");
  EXPECT_STREQ(evalo_set_format(nullptr, "5"), "");
  evalo_destroy(nullptr);
}

// Eight threads, each with its own context, must see exactly what one
// thread sees alone.
TEST(InterfaceContext, ThreadsWithOwnContextsMatchASingleThread) {
  const std::array<const char*, 8> expressions = {
      "(1+2)*3.5-4/2", "2^0.5", "1/3", "(1+2", "1/0", "0.1+0.2", "-2^2*1,000", "7/9*PI"};
  constexpr int kRounds = 10000;
  struct Answer {
    std::uint64_t bits;
    int code;
    std::string text;
  };
  std::vector<Answer> expected;
  {
    evalo_context* ctx = evalo_create();
    for (const char* e : expressions) {
      const double v = evalo_evaluate(ctx, e);
      const int code = evalo_error(ctx);
      expected.push_back({std::bit_cast<std::uint64_t>(v), code, evalo_evaluate_text(ctx, e)});
    }
    evalo_destroy(ctx);
  }
  std::vector<int> mismatches(8, 0);
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      evalo_context* ctx = evalo_create();
      for (int i = 0; i < kRounds; ++i) {
        const std::size_t k = static_cast<std::size_t>(i + t) % expressions.size();
        const double v = evalo_evaluate(ctx, expressions[k]);
        const int code = evalo_error(ctx);
        const std::string text = evalo_evaluate_text(ctx, expressions[k]);
        if (std::bit_cast<std::uint64_t>(v) != expected[k].bits || code != expected[k].code ||
            text != expected[k].text)
          ++mismatches[static_cast<std::size_t>(t)];
      }
      evalo_destroy(ctx);
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < 8; ++t) EXPECT_EQ(mismatches[static_cast<std::size_t>(t)], 0) << "thread " << t;
}

}  // namespace
