#pragma once

#include <cfenv>
#include <cstdint>

namespace interface {

// Runs a call with round-to-nearest, no flush-to-zero, a 64-bit significand
// where the x87 has one, and every trap masked, whatever the host has set,
// and hands the host's floating-point environment back as it was: control
// registers, rounding mode and the raised flags. The usual host runs with
// the default controls; then only the flags need restoring, which is far
// cheaper than a full save.
class FloatingPointScope {
 public:
  FloatingPointScope() noexcept { Enter(); }
  ~FloatingPointScope() { Leave(); }

  FloatingPointScope(const FloatingPointScope&) = delete;
  FloatingPointScope& operator=(const FloatingPointScope&) = delete;

 private:
#if defined(__x86_64__)
  static constexpr std::uint16_t kDefaultX87Control = 0x037F;  // extended, nearest, masked
  static constexpr std::uint16_t kX87Flags = 0x003F;
  static constexpr std::uint32_t kDefaultSseControl = 0x1F80;  // nearest, masked, no FTZ/DAZ
  static constexpr std::uint32_t kSseFlags = 0x003F;

  void Enter() noexcept {
    asm volatile("fnstcw %0" : "=m"(x87Control_));
    asm volatile("fnstsw %0" : "=m"(x87Status_));
    asm volatile("stmxcsr %0" : "=m"(sseControl_));
    // Raised flags, the host's or the call's, change no result: only
    // non-default controls need the full save.
    fullRestore_ = x87Control_ != kDefaultX87Control || (sseControl_ & ~kSseFlags) != kDefaultSseControl;
    if (fullRestore_) {
      std::fegetenv(&saved_);
      std::fesetenv(FE_DFL_ENV);
    }
  }

  void Leave() noexcept {
    if (fullRestore_) {
      std::fesetenv(&saved_);
      return;
    }
    // The x87 flags are written back only when the call raised one the host
    // had not: that is slow (it waits for the x87 unit). Reading MXCSR back
    // to skip its write would cost more than the write.
    std::uint16_t status;
    asm volatile("fnstsw %0" : "=m"(status)::"memory");
    if ((status & kX87Flags) != (x87Status_ & kX87Flags)) RestoreX87Flags();
    asm volatile("ldmxcsr %0" ::"m"(sseControl_) : "memory");
  }

  // Clearing is enough when the host had no flag raised, the usual case;
  // otherwise the host's flags go back in through the x87 environment.
  [[gnu::noinline]] void RestoreX87Flags() const noexcept {
    if ((x87Status_ & kX87Flags) == 0) {
      asm volatile("fnclex" ::: "memory");
      return;
    }
    struct {
      std::uint16_t control, unused1, status, unused2;
      std::uint32_t rest[5];
    } environment;
    static_assert(sizeof environment == 28);
    asm volatile("fnstenv %0" : "=m"(environment)::"memory");
    environment.status = static_cast<std::uint16_t>((environment.status & ~kX87Flags) | (x87Status_ & kX87Flags));
    asm volatile("fldenv %0" ::"m"(environment) : "memory");
  }

  std::uint16_t x87Control_ = 0;
  std::uint16_t x87Status_ = 0;
  std::uint32_t sseControl_ = 0;
  bool fullRestore_ = false;
  std::fenv_t saved_;
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
