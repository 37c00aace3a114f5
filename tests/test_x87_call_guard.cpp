// The x87 half of a call's guard, seen from inside the library: it is taken
// by the first x87 arithmetic of a call, a call made inside another leaves
// the outer one's guard in place, and outside a call it does nothing.
#include <gtest/gtest.h>

#include <cstdint>

#include "evaluator/extended.h"
#include "interface/fp_scope.h"

#if defined(EVALO_X87_CALL_GUARD)

namespace {

using evaluator::Extended;

constexpr std::uint16_t kCallControl = 0x037F;
constexpr std::uint16_t kHostControl = 0x0C7F;  // 24-bit significand, toward zero
constexpr std::uint64_t kThirdAt64Bits = 0xAAAAAAAAAAAAAAABu;

std::uint16_t X87Control() {
  std::uint16_t control;
  asm volatile("fnstcw %0" : "=m"(control)::"memory");
  return control;
}

void SetX87Control(std::uint16_t control) { asm volatile("fldcw %0" ::"m"(control) : "memory"); }

// A third, computed at run time in whatever precision the x87 is set to.
std::uint64_t ThirdSignificand() {
  volatile double one = 1.0;
  volatile double three = 3.0;
  return (Extended(one) / Extended(three)).Significand();
}

class X87CallGuard : public ::testing::Test {
 protected:
  void SetUp() override { SetX87Control(kHostControl); }
  void TearDown() override { SetX87Control(kCallControl); }
};

TEST_F(X87CallGuard, OutsideACallTheArithmeticLeavesTheHostsControlAlone) {
  EXPECT_NE(ThirdSignificand(), kThirdAt64Bits);
  EXPECT_EQ(X87Control(), kHostControl);
}

// A nested call both before and after the outer call's first x87 work.
TEST_F(X87CallGuard, NestedCallKeepsTheOuterCallsGuard) {
  std::uint64_t outerThirds[2];
  std::uint16_t controlAfterInner[2];
  {
    const interface::FloatingPointScope outer;
    for (int i = 0; i < 2; ++i) {
      {
        const interface::FloatingPointScope inner;
        EXPECT_EQ(ThirdSignificand(), kThirdAt64Bits);
      }
      controlAfterInner[i] = X87Control();
      outerThirds[i] = ThirdSignificand();
    }
  }
  EXPECT_EQ(controlAfterInner[0], kHostControl);  // the outer call had not engaged yet
  EXPECT_EQ(controlAfterInner[1], kCallControl);  // it had
  EXPECT_EQ(outerThirds[0], kThirdAt64Bits);
  EXPECT_EQ(outerThirds[1], kThirdAt64Bits);
  EXPECT_EQ(X87Control(), kHostControl);
}

}  // namespace

#endif
