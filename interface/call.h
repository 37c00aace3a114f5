#pragma once

#include "interface/call_state.h"

namespace interface {

// The six operations of the library on one call state.
double EvaluateToValue(CallState& state, const char* expression) noexcept;
const char* EvaluateToText(CallState& state, const char* expression) noexcept;
const char* ReadErrorText(CallState& state) noexcept;
const char* StoreFormatText(CallState& state, const char* text) noexcept;
const char* WriteVersionText(CallState& state) noexcept;

// Forgets the place of the last error (-1 and 0).
void ClearErrorPlace(CallState& state) noexcept;

// True for an empty or blank format text, or one that reads as a number.
bool IsNumericFormatText(const char* formatText) noexcept;

}  // namespace interface
