// Entry points for bindings: the version without touching any call state,
// and batches that cross the language boundary once for many expressions.
#include <cstring>

#include "evalo.h"
#include "interface/call_state.h"
#include "interface/version.h"

#define EVALO_EXPORT extern "C" __attribute__((visibility("default")))

static_assert(EVALO_TEXT_SIZE == interface::kOutputTextSize);

EVALO_EXPORT const char* evalo_version(void) { return interface::kVersionText; }

namespace {

// Walks the packed expressions, calling evaluate(i, expression) for each
// until count are done or the buffer ends without a NUL; evaluate returns
// false to stop. Returns how many were evaluated.
template <typename Evaluate>
std::size_t ForEachPacked(const char* expressions, std::size_t size, std::size_t count,
                          Evaluate evaluate) noexcept {
  if (expressions == nullptr) return 0;
  const char* next = expressions;
  const char* const end = expressions + size;
  std::size_t done = 0;
  while (done < count && next < end) {
    const auto* nul = static_cast<const char*>(std::memchr(next, '\0', end - next));
    if (nul == nullptr || !evaluate(done, next)) break;
    ++done;
    next = nul + 1;
  }
  return done;
}

}  // namespace

EVALO_EXPORT size_t evalo_evaluate_many(evalo_context* ctx, const char* expressions, size_t size,
                                        size_t count, double* values, int* codes) {
  if (values == nullptr) return 0;
  return ForEachPacked(expressions, size, count, [&](std::size_t i, const char* expression) {
    values[i] = evalo_evaluate(ctx, expression);
    if (codes != nullptr) codes[i] = evalo_error(ctx);
    return true;
  });
}

EVALO_EXPORT size_t evalo_evaluate_text_many(evalo_context* ctx, const char* expressions,
                                             size_t size, size_t count, char* texts,
                                             size_t texts_size, int* codes) {
  if (texts == nullptr) return 0;
  std::size_t used = 0;
  return ForEachPacked(expressions, size, count, [&](std::size_t i, const char* expression) {
    const char* text = evalo_evaluate_text(ctx, expression);
    const std::size_t length = std::strlen(text) + 1;
    if (length > texts_size - used) return false;
    std::memcpy(texts + used, text, length);
    used += length;
    if (codes != nullptr) codes[i] = evalo_error(ctx);
    return true;
  });
}
