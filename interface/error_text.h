#pragma once

#include "interface/call_state.h"

namespace interface {

// Writes the text of state.ErrorCode ("Err.Syntax", ..., "" for 0) into
// state.OutputText.
void SetErrorText(CallState& state) noexcept;

}  // namespace interface
