// The six exported functions, on the one process-wide call state.
#include "evalo.h"
#include "interface/call.h"

namespace {
interface::CallState DefaultState;  // zeroed at load
}

#define EVALO_EXPORT extern "C" __attribute__((visibility("default")))

EVALO_EXPORT double evalo(const char* expression) {
  return interface::EvaluateToValue(DefaultState, expression);
}

EVALO_EXPORT const char* evalos(const char* expression) {
  return interface::EvaluateToText(DefaultState, expression);
}

EVALO_EXPORT int error(void) { return DefaultState.ErrorCode; }

EVALO_EXPORT const char* errors(void) { return interface::ReadErrorText(DefaultState); }

EVALO_EXPORT const char* format(const char* text) {
  return interface::StoreFormatText(DefaultState, text);
}

EVALO_EXPORT const char* version(void) { return interface::WriteVersionText(DefaultState); }
