#pragma once

namespace interface {

// The version text, the same whichever entry point reports it.
inline constexpr char kVersionText[] = "1.00";

}  // namespace interface
