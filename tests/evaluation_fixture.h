#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "interface/call.h"

// One evaluation on a call state of its own, seen through every entry point.
struct Outcome {
  double value;
  std::int32_t code;
  std::string text;  // what evalos returns
};

inline Outcome EvaluateWith(const char* format, const char* expression) {
  interface::CallState state;
  interface::StoreFormatText(state, format);
  const double value = interface::EvaluateToValue(state, expression);
  const std::int32_t code = state.ErrorCode;
  const std::string text = interface::EvaluateToText(state, expression);
  return {value, code, text};
}

inline Outcome Evaluate(const char* expression) { return EvaluateWith("", expression); }

inline std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }
