#pragma once

#include <cfenv>
#include <cstdint>

namespace interface {

// Runs a call with round-to-nearest, a 64-bit significand and every trap
// masked, whatever the host has set, and hands the host's floating-point
// environment back as it was: control words, rounding mode and the raised
// flags. The usual host runs with the defaults and no x87 flag raised; then
// only the flags need restoring, which is far cheaper than a full save.
class FloatingPointScope {
 public:
  FloatingPointScope() noexcept {
#if defined(__x86_64__)
    asm volatile("fnstcw %0" : "=m"(x87Control_));
    asm volatile("fnstsw %0" : "=m"(x87Status_));
    asm volatile("stmxcsr %0" : "=m"(sseControl_));
    fullRestore_ = x87Control_ != kDefaultX87Control || (x87Status_ & kX87Flags) != 0 ||
                   (sseControl_ & ~kSseFlags) != kDefaultSseControl;
#endif
    if (fullRestore_) {
      std::fegetenv(&saved_);
      std::fesetenv(FE_DFL_ENV);
    }
  }

  ~FloatingPointScope() {
    if (fullRestore_) {
      std::fesetenv(&saved_);
      return;
    }
#if defined(__x86_64__)
    // The host had no x87 flag raised. Clearing is slow (it waits for the
    // x87 unit), so only when the call raised one.
    std::uint16_t status;
    asm volatile("fnstsw %0" : "=m"(status)::"memory");
    if ((status & kX87Flags) != 0) asm volatile("fnclex" ::: "memory");
    asm volatile("ldmxcsr %0" ::"m"(sseControl_) : "memory");
#endif
  }

  FloatingPointScope(const FloatingPointScope&) = delete;
  FloatingPointScope& operator=(const FloatingPointScope&) = delete;

 private:
  static constexpr std::uint16_t kDefaultX87Control = 0x037F;  // extended, nearest, masked
  static constexpr std::uint16_t kX87Flags = 0x003F;
  static constexpr std::uint32_t kDefaultSseControl = 0x1F80;  // nearest, masked, no FTZ/DAZ
  static constexpr std::uint32_t kSseFlags = 0x003F;

#if defined(__x86_64__)
  std::uint16_t x87Control_ = 0;
  std::uint16_t x87Status_ = 0;
  std::uint32_t sseControl_ = 0;
  bool fullRestore_ = false;
#else
  bool fullRestore_ = true;
#endif
  std::fenv_t saved_;
};

// Keeps the compiler from sinking the computation of x past the restore of
// the host's environment (where it could raise a flag or trap).
inline void SettleBeforeRestore(double& x) noexcept { asm volatile("" : "+m"(x)::"memory"); }

}  // namespace interface
