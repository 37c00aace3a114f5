#pragma once

// The x87 half of a call's floating-point guard, taken only by calls that
// reach x87 arithmetic: a call that executes no x87 instruction cannot
// change the x87 control or status, so it need not read or restore them.
//
// A call opens the guard (Open), the first x87 arithmetic of the call
// engages it (Ready: the host's control and status are read and the call's
// control word is set), and the end of the call closes it (Close: whatever
// the call changed is handed back). Outside a call Ready does nothing, so
// direct use of the arithmetic (tests, the tools) leaves the x87 alone.
#include <cstdint>

#if defined(__x86_64__) && !defined(EVALO_PORTABLE_EXTENDED)
#define EVALO_X87_CALL_GUARD 1

namespace evaluator::x87 {

enum class Phase : std::uint8_t { kOutsideCall, kUntouched, kEngaged };

struct GuardState {
  Phase phase = Phase::kOutsideCall;
  std::uint16_t hostControl = 0;
  std::uint16_t hostStatus = 0;
};

// Initial-exec: one %fs-relative access, no call to resolve the address.
[[gnu::tls_model("initial-exec")]] inline thread_local GuardState guard{};

inline constexpr std::uint16_t kCallControl = 0x037F;  // 64-bit significand, nearest, all masked
inline constexpr std::uint16_t kFlags = 0x003F;

[[gnu::noinline]] inline void Engage() noexcept {
  GuardState& g = guard;
  asm volatile("fnstcw %0" : "=m"(g.hostControl)::"memory");
  asm volatile("fnstsw %0" : "=m"(g.hostStatus)::"memory");
  if (g.hostControl != kCallControl) [[unlikely]] {
    static constexpr std::uint16_t callControl = kCallControl;
    asm volatile("fldcw %0" ::"m"(callControl) : "memory");
    // A raised flag the host unmasks must not fire at the call's first
    // instruction; the host gets its flags back at the end.
    if ((g.hostStatus & kFlags) != 0) asm volatile("fnclex" ::: "memory");
  }
  g.phase = Phase::kEngaged;
}

// Before any x87 instruction that rounds or can raise a flag. The caller
// must also make that instruction depend on Ready's effects (its operands
// pass through an asm that reads `guard`): a call orders memory, not values
// the compiler keeps in x87 registers.
[[gnu::always_inline]] inline void Ready() noexcept {
  if (guard.phase == Phase::kUntouched) [[unlikely]] Engage();
}

// The host's flags go back in only when the call raised one the host had
// not (writing them waits for the x87 unit); clearing is enough when the
// host had none, the usual case.
[[gnu::noinline]] inline void RestoreHostFlags(std::uint16_t hostStatus) noexcept {
  if ((hostStatus & kFlags) == 0) {
    asm volatile("fnclex" ::: "memory");
    return;
  }
  struct {
    std::uint16_t control, unused1, status, unused2;
    std::uint32_t rest[5];
  } environment;
  static_assert(sizeof environment == 28);
  asm volatile("fnstenv %0" : "=m"(environment)::"memory");
  environment.status = static_cast<std::uint16_t>((environment.status & ~kFlags) | (hostStatus & kFlags));
  asm volatile("fldenv %0" ::"m"(environment) : "memory");
}

[[gnu::noinline]] inline void Disengage() noexcept {
  const GuardState& g = guard;
  std::uint16_t status;
  asm volatile("fnstsw %0" : "=m"(status)::"memory");
  if ((status & kFlags) != (g.hostStatus & kFlags)) RestoreHostFlags(g.hostStatus);
  // After the flags: a host that unmasks a raised flag traps at its own
  // next x87 instruction, as it would have without the call.
  if (g.hostControl != kCallControl) asm volatile("fldcw %0" ::"m"(g.hostControl) : "memory");
}

// Open returns the state it replaces and Close puts it back, so that a call
// made inside another on the same thread (from a signal handler, on a
// context of its own) leaves the outer call's guard as it found it.
inline GuardState Open() noexcept {
  const GuardState outer = guard;
  guard.phase = Phase::kUntouched;
  return outer;
}

inline void Close(const GuardState& outer) noexcept {
  if (guard.phase == Phase::kEngaged) Disengage();
  guard = outer;
}

}  // namespace evaluator::x87

#endif
