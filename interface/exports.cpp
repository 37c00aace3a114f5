// The exported functions: the six on the one process-wide call state, and
// the context functions on call states of the host's own.
#include <new>

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

// A context is a call state; the C name only hides its layout.
struct evalo_context {
  interface::CallState state;
};

namespace {

// What a NULL context reports: the Memory error, as if creation had failed.
constexpr char kNoContextText[] = "Err.Memory";

}  // namespace

static_assert(EVALO_UTF8 == interface::option::kUtf8 && EVALO_LOOKALIKES == interface::option::kLookalikes);

EVALO_EXPORT evalo_context* evalo_create_with(unsigned options) {
  if ((options & ~interface::option::kAll) != 0) return nullptr;  // an option this library does not know
  evalo_context* ctx = new (std::nothrow) evalo_context{};
  if (ctx != nullptr) {
    ctx->state.Options = options;
    ctx->state.ReportsErrorPlace = true;
  }
  return ctx;
}

EVALO_EXPORT evalo_context* evalo_create(void) { return evalo_create_with(0); }

EVALO_EXPORT void evalo_destroy(evalo_context* ctx) { delete ctx; }

EVALO_EXPORT const char* evalo_set_format(evalo_context* ctx, const char* text) {
  return ctx ? interface::StoreFormatText(ctx->state, text) : "";
}

EVALO_EXPORT double evalo_evaluate(evalo_context* ctx, const char* expression) {
  return ctx ? interface::EvaluateToValue(ctx->state, expression) : 0;
}

EVALO_EXPORT const char* evalo_evaluate_text(evalo_context* ctx, const char* expression) {
  return ctx ? interface::EvaluateToText(ctx->state, expression) : kNoContextText;
}

EVALO_EXPORT int evalo_error(const evalo_context* ctx) {
  return ctx ? ctx->state.ErrorCode : interface::error_code::kMemory;
}

EVALO_EXPORT const char* evalo_error_text(evalo_context* ctx) {
  return ctx ? interface::ReadErrorText(ctx->state) : kNoContextText;
}

EVALO_EXPORT long evalo_error_offset(const evalo_context* ctx) { return ctx ? ctx->state.ErrorOffset : -1; }

EVALO_EXPORT long evalo_error_length(const evalo_context* ctx) { return ctx ? ctx->state.ErrorLength : 0; }
