#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "interface/call.h"

// One evaluation on a call state of its own, seen through every entry point.
struct Outcome {
  double value;      // what evalo returns
  std::int32_t code;  // the code after evalos (a pattern may add Format)
  std::string text;  // what evalos returns
};

inline Outcome EvaluateWith(const char* format, const char* expression) {
  interface::CallState state;
  interface::StoreFormatText(state, format);
  const double value = interface::EvaluateToValue(state, expression);
  const std::string text = interface::EvaluateToText(state, expression);
  return {value, state.ErrorCode, text};
}

inline Outcome Evaluate(const char* expression) { return EvaluateWith("", expression); }

inline std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }
