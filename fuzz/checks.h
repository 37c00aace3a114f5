// What every fuzz input must satisfy, beyond not crashing. A violation aborts,
// so libFuzzer keeps the input as a finding.
#pragma once

#include <bit>
#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "evalo.h"

namespace fuzz {

constexpr std::size_t kOutputTextSize = 52;  // 51 bytes of text and the NUL

[[noreturn]] inline void Finding(const char* what, const std::string& expression,
                                 const char* formatText) {
  std::fprintf(stderr, "\nFINDING: %s\n  format text: \"%s\"\n  expression (%zu bytes): \"%.200s\"\n",
               what, formatText, expression.size(), expression.c_str());
  std::abort();
}

inline const char* ErrorTextOf(int code) {
  switch (code) {
    case EVALO_OK: return "";
    case EVALO_ERR_SYNTAX: return "Err.Syntax";
    case EVALO_ERR_BRACKET: return "Err.Bracket";
    case EVALO_ERR_STACK: return "Err.Stack";
    case EVALO_ERR_MEMORY: return "Err.Memory";
    case EVALO_ERR_FORMAT: return "Err.Format";
    case EVALO_ERR_MATH: return "Err.Math";
    default: return nullptr;
  }
}

struct Observation {
  std::uint64_t valueBits;
  int code;
  std::string text;  // what evalos returned
  int textCode;      // error() after evalos
  bool operator==(const Observation&) const = default;
};

// Keeps the compiler from moving a value's computation or a flag test past
// the barrier; the library calls are opaque to it anyway.
inline void Barrier() { asm volatile("" ::: "memory"); }

// The host's raised flags before a call must be exactly the flags after it.
inline void CallWithFlags(int hostFlags, const char* call, const std::string& expression,
                          const char* formatText, auto&& run) {
  std::feclearexcept(FE_ALL_EXCEPT);
  if (hostFlags != 0) std::feraiseexcept(hostFlags);
  Barrier();
  run();
  Barrier();
  const int raised = std::fetestexcept(FE_ALL_EXCEPT);
  std::feclearexcept(FE_ALL_EXCEPT);
  if (raised != hostFlags) {
    char what[96];
    std::snprintf(what, sizeof what, "%s changed the raised flags from %#x to %#x", call, hostFlags,
                  raised);
    Finding(what, expression, formatText);
  }
}

// evalo, error, errors and evalos on the format text already set, with the
// checks that hold for any input.
inline Observation Observe(const std::string& expression, const char* formatText, int hostFlags) {
  Observation o{};
  double value = 0;
  CallWithFlags(hostFlags, "evalo", expression, formatText, [&] {
    value = evalo(expression.c_str());
    asm volatile("" : "+m"(value));
  });
  o.valueBits = std::bit_cast<std::uint64_t>(value);
  o.code = error();
  if (!std::isfinite(value)) Finding("evalo returned a value that is not finite", expression, formatText);
  const char* expected = ErrorTextOf(o.code);
  if (expected == nullptr) Finding("error() is not a known code", expression, formatText);
  const char* errorText = errors();
  if (std::memchr(errorText, '\0', kOutputTextSize) == nullptr)
    Finding("errors() text runs past 51 bytes", expression, formatText);
  if (std::strcmp(errorText, expected) != 0)
    Finding("errors() is not the text of error()", expression, formatText);

  const char* text = nullptr;
  CallWithFlags(hostFlags, "evalos", expression, formatText, [&] { text = evalos(expression.c_str()); });
  if (std::memchr(text, '\0', kOutputTextSize) == nullptr)
    Finding("evalos text runs past 51 bytes", expression, formatText);
  o.text = text;
  o.textCode = error();
  if (o.code != EVALO_OK && (o.textCode != o.code || o.text != expected))
    Finding("evalos does not return the error of evalo", expression, formatText);
  if (o.code == EVALO_OK && o.textCode != EVALO_OK &&
      (o.textCode != EVALO_ERR_FORMAT || o.text != "Err.Format"))
    Finding("evalos failed other than with Err.Format after evalo succeeded", expression, formatText);
  if (std::strcmp(errors(), ErrorTextOf(o.textCode)) != 0)
    Finding("errors() after evalos is not the text of error()", expression, formatText);
  return o;
}

// A context's error place: none after a success, Memory or a pattern's
// Format; otherwise bytes of the expression as passed.
inline void CheckPlace(const evalo_context* ctx, const std::string& expression, const char* formatText) {
  const int code = evalo_error(ctx);
  const long offset = evalo_error_offset(ctx);
  const long length = evalo_error_length(ctx);
  if (code == EVALO_OK || code == EVALO_ERR_MEMORY || code == EVALO_ERR_FORMAT) {
    if (offset != -1 || length != 0) Finding("an error place where there is none", expression, formatText);
    return;
  }
  if (offset < 0 || length < 0 || static_cast<std::size_t>(offset + length) > std::strlen(expression.c_str()))
    Finding("the error place lies outside the text", expression, formatText);
}

// Twice on the exports (with different host flags raised), once on a
// context of its own: all three must agree bit for bit.
inline void CheckExpression(const std::string& expression, const char* formatText) {
  const Observation first = Observe(expression, formatText, 0);
  const Observation second = Observe(expression, formatText, FE_INEXACT | FE_UNDERFLOW | FE_INVALID);
  if (!(first == second)) Finding("the same input evaluated twice differs", expression, formatText);

  evalo_context* ctx = evalo_create();
  if (ctx == nullptr) return;
  evalo_set_format(ctx, formatText);
  Observation viaContext{};
  double value = 0;
  CallWithFlags(FE_DIVBYZERO | FE_OVERFLOW, "evalo_evaluate", expression, formatText, [&] {
    value = evalo_evaluate(ctx, expression.c_str());
    asm volatile("" : "+m"(value));
  });
  viaContext.valueBits = std::bit_cast<std::uint64_t>(value);
  viaContext.code = evalo_error(ctx);
  CheckPlace(ctx, expression, formatText);
  const char* text = nullptr;
  CallWithFlags(0, "evalo_evaluate_text", expression, formatText,
                [&] { text = evalo_evaluate_text(ctx, expression.c_str()); });
  if (std::memchr(text, '\0', kOutputTextSize) == nullptr)
    Finding("context text runs past 51 bytes", expression, formatText);
  viaContext.text = text;
  viaContext.textCode = evalo_error(ctx);
  CheckPlace(ctx, expression, formatText);
  evalo_destroy(ctx);
  if (!(viaContext == first)) Finding("a context evaluates differently from the exports", expression, formatText);
}

}  // namespace fuzz
