#pragma once

#include <cfenv>
#include <cstdint>

#include "evaluator/x87_call_guard.h"

namespace interface {

// Runs a call with round-to-nearest, no flush-to-zero, a 64-bit significand
// where the x87 has one, and every trap masked, whatever the host has set,
// and hands the host's floating-point environment back as it was: control
// registers, rounding mode and the raised flags. Only what the call can
// change is saved and restored: the x87 only when the call reaches x87
// arithmetic, the controls only when the host has others.
class FloatingPointScope {
 public:
  FloatingPointScope() noexcept { Enter(); }
  ~FloatingPointScope() { Leave(); }

  FloatingPointScope(const FloatingPointScope&) = delete;
  FloatingPointScope& operator=(const FloatingPointScope&) = delete;

 private:
#if defined(__x86_64__)
  static constexpr std::uint32_t kDefaultSseControl = 0x1F80;  // nearest, masked, no FTZ/DAZ
  static constexpr std::uint32_t kSseFlags = 0x003F;

  // MXCSR is read and written back whole: both are cheap, and SSE has no
  // pending traps to order. The x87 is left to the arithmetic that uses it.
  void Enter() noexcept {
    asm volatile("stmxcsr %0" : "=m"(sseControl_)::"memory");
    // Raised flags change no result: only non-default controls are replaced.
    if ((sseControl_ & ~kSseFlags) != kDefaultSseControl) [[unlikely]] {
      static constexpr std::uint32_t callControl = kDefaultSseControl;
      asm volatile("ldmxcsr %0" ::"m"(callControl) : "memory");
    }
#if defined(EVALO_X87_CALL_GUARD)
    outerX87_ = evaluator::x87::Open();
#endif
  }

  void Leave() noexcept {
#if defined(EVALO_X87_CALL_GUARD)
    evaluator::x87::Close(outerX87_);
#endif
    asm volatile("ldmxcsr %0" ::"m"(sseControl_) : "memory");
  }

  std::uint32_t sseControl_ = 0;
#if defined(EVALO_X87_CALL_GUARD)
  evaluator::x87::GuardState outerX87_;
#endif
#elif defined(__aarch64__)
  // FPCR all zero: round to nearest, no flush-to-zero (FZ, FZ16), IEEE NaN
  // propagation (DN clear), every trap disabled. It is what Linux starts a
  // process with, so writing it is rarely needed. FPSR holds the sticky
  // flags, which the host gets back bit for bit.
  static constexpr std::uint64_t kCallControl = 0;

  void Enter() noexcept {
    asm volatile("mrs %0, fpcr" : "=r"(hostControl_)::"memory");
    asm volatile("mrs %0, fpsr" : "=r"(hostStatus_)::"memory");
    if (hostControl_ != kCallControl) asm volatile("msr fpcr, %0" ::"r"(kCallControl) : "memory");
  }

  void Leave() noexcept {
    if (hostControl_ != kCallControl) asm volatile("msr fpcr, %0" ::"r"(hostControl_) : "memory");
    std::uint64_t status;
    asm volatile("mrs %0, fpsr" : "=r"(status)::"memory");
    if (status != hostStatus_) asm volatile("msr fpsr, %0" ::"r"(hostStatus_) : "memory");
  }

  std::uint64_t hostControl_ = 0;
  std::uint64_t hostStatus_ = 0;
#elif defined(__wasm__)
  // WebAssembly has one rounding mode, no flags a program can see and no
  // traps: there is nothing to guard.
  void Enter() noexcept {}
  void Leave() noexcept {}
#else
  void Enter() noexcept {
    std::fegetenv(&saved_);
    std::fesetenv(FE_DFL_ENV);
  }
  void Leave() noexcept { std::fesetenv(&saved_); }

  std::fenv_t saved_;
#endif
};

// Keeps the compiler from sinking the computation of x past the restore of
// the host's environment (where it could raise a flag or trap).
inline void SettleBeforeRestore(double& x) noexcept { asm volatile("" : "+m"(x)::"memory"); }

}  // namespace interface
