// The entry points for bindings: the constant version and the batches.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "evalo.h"

namespace {

using Context = std::unique_ptr<evalo_context, decltype(&evalo_destroy)>;

Context NewContext() { return Context(evalo_create(), &evalo_destroy); }

std::string Packed(const std::vector<std::string>& expressions) {
  std::string packed;
  for (const std::string& e : expressions) packed.append(e).push_back('\0');
  return packed;
}

TEST(BindingVersion, LeavesTheSharedTextAlone) {
  evalo("1/0");
  ASSERT_STREQ(errors(), "Err.Math");
  EXPECT_STREQ(evalo_version(), "1.00");
  EXPECT_STREQ(errors(), "Err.Math");
  EXPECT_STREQ(evalo_version(), version());  // one text for both
}

const std::vector<std::string> kMixed = {
    "(1+2)*3.5-4/2", "1/0", "", "(1", "0/-5", "１２，０００＋５００", "1 2", "SIN30", "1,234.5*1.08",
    std::string(600, '1'),  // long enough for the heap copy
};

// The batch must give what the single calls give, bit for bit, under each
// kind of format text.
TEST(BindingBatch, EqualsOneByOne) {
  for (const char* format : {"", "5.2", "%.3f", "%d"}) {
    SCOPED_TRACE(format);
    Context single = NewContext(), batch = NewContext();
    evalo_set_format(single.get(), format);
    evalo_set_format(batch.get(), format);
    const std::string packed = Packed(kMixed);
    std::vector<double> values(kMixed.size());
    std::vector<int> codes(kMixed.size(), 99);
    std::vector<char> texts(kMixed.size() * EVALO_TEXT_SIZE);
    std::vector<int> textCodes(kMixed.size(), 99);
    ASSERT_EQ(evalo_evaluate_many(batch.get(), packed.data(), packed.size(), kMixed.size(),
                                  values.data(), codes.data()),
              kMixed.size());
    ASSERT_EQ(evalo_evaluate_text_many(batch.get(), packed.data(), packed.size(), kMixed.size(),
                                       texts.data(), texts.size(), textCodes.data()),
              kMixed.size());
    const char* text = texts.data();
    for (std::size_t i = 0; i < kMixed.size(); ++i) {
      SCOPED_TRACE(kMixed[i]);
      const double value = evalo_evaluate(single.get(), kMixed[i].c_str());
      EXPECT_EQ(std::bit_cast<std::uint64_t>(values[i]), std::bit_cast<std::uint64_t>(value));
      EXPECT_EQ(codes[i], evalo_error(single.get()));
      EXPECT_STREQ(text, evalo_evaluate_text(single.get(), kMixed[i].c_str()));
      EXPECT_EQ(textCodes[i], evalo_error(single.get()));
      text += std::strlen(text) + 1;
    }
    // Afterwards the context reports the last expression's outcome.
    EXPECT_STREQ(evalo_error_text(batch.get()), evalo_error_text(single.get()));
  }
}

TEST(BindingBatch, StopsWhereTheBytesOrTheRoomEnd) {
  Context ctx = NewContext();
  const std::string packed = Packed({"1", "2", "3"});
  double values[3] = {-1, -1, -1};
  // Asked for four, given three: three.
  EXPECT_EQ(evalo_evaluate_many(ctx.get(), packed.data(), packed.size(), 4, values, nullptr), 3u);
  EXPECT_EQ(values[2], 3);
  // The last NUL outside the size: that expression is not read.
  values[1] = -1;
  EXPECT_EQ(evalo_evaluate_many(ctx.get(), packed.data(), 3, 3, values, nullptr), 1u);
  EXPECT_EQ(values[1], -1);
  EXPECT_EQ(evalo_evaluate_many(ctx.get(), nullptr, 10, 3, values, nullptr), 0u);
  EXPECT_EQ(evalo_evaluate_many(ctx.get(), packed.data(), packed.size(), 3, nullptr, nullptr), 0u);

  // Room for "1\0" and "2\0" and one byte more: the third text does not fit.
  char texts[5];
  int codes[3] = {9, 9, 9};
  EXPECT_EQ(evalo_evaluate_text_many(ctx.get(), packed.data(), packed.size(), 3, texts,
                                     sizeof texts, codes),
            2u);
  EXPECT_EQ(std::string(texts, 4), std::string("1\0" "2\0", 4));
  EXPECT_EQ(codes[2], 9);
}

TEST(BindingBatch, NullContextGivesTheMemoryError) {
  const std::string packed = Packed({"1", "2"});
  double values[2];
  int codes[2];
  ASSERT_EQ(evalo_evaluate_many(nullptr, packed.data(), packed.size(), 2, values, codes), 2u);
  EXPECT_EQ(values[1], 0);
  EXPECT_EQ(codes[1], EVALO_ERR_MEMORY);
}

}  // namespace
