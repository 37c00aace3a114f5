// The bounded token stack.
#include <gtest/gtest.h>

#include "evaluator/tstack.h"

namespace {

using evaluator::TStack;

TEST(EvaluatorTStack, InsertAndRemoveAtPositions) {
  TStack stack;
  stack.Insert(-1, 'a', 1);
  stack.Insert(-1, 'c', 3);
  EXPECT_EQ(stack.Insert(1, 'b', 2), 3);
  EXPECT_EQ(stack.Codes[0], 'a');
  EXPECT_EQ(stack.Codes[1], 'b');
  EXPECT_EQ(stack.Values[2], 3);
  EXPECT_EQ(stack.Remove(0), 2);  // the entries above move down
  EXPECT_EQ(stack.Codes[0], 'b');
  EXPECT_EQ(stack.Remove(99), 1);  // out of range means the top
  EXPECT_EQ(stack.Codes[0], 'b');
  EXPECT_EQ(stack.Status, 0);
}

TEST(EvaluatorTStack, FullAndEmptyStacksSetStatus) {
  TStack stack;
  for (int i = 0; i < TStack::Capacity; ++i) stack.Insert(-1, '#', i);
  EXPECT_EQ(stack.Insert(-1, '#', 0), TStack::Capacity);
  EXPECT_EQ(stack.Status, 1);
  EXPECT_EQ(stack.Values[TStack::Capacity - 1], TStack::Capacity - 1);
  // Below the top too: nothing moves, nothing is stored.
  EXPECT_EQ(stack.Insert(0, 'x', -1), TStack::Capacity);
  EXPECT_EQ(stack.Codes[0], '#');
  EXPECT_EQ(stack.Values[0], 0);

  TStack empty;
  EXPECT_EQ(empty.Remove(-1), 0);
  EXPECT_EQ(empty.Status, -1);
}

}  // namespace
