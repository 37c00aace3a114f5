// The floating-point registers a call must hand back unchanged, and the host
// settings the checks put into them, per architecture. Each function is a
// few instructions of its own, with no floating-point arithmetic, so nothing
// of the caller's can be moved in between.
#pragma once

#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#if defined(__x86_64__)

struct HostState {
  std::uint16_t x87Control;
  std::uint16_t x87Status;
  std::uint32_t mxcsr;
};

inline HostState ReadHostState() {
  HostState s;
  asm volatile("fnstcw %0" : "=m"(s.x87Control));
  asm volatile("fnstsw %0" : "=m"(s.x87Status));
  asm volatile("stmxcsr %0" : "=m"(s.mxcsr));
  return s;
}

// The x87 status word also holds the stack top and busy bits, which are not
// the host's to keep; its flags are.
inline bool operator==(const HostState& a, const HostState& b) {
  return a.x87Control == b.x87Control && (a.x87Status & 0x3F) == (b.x87Status & 0x3F) &&
         a.mxcsr == b.mxcsr;
}

inline std::string Describe(const HostState& s) {
  char text[96];
  std::snprintf(text, sizeof text, "x87 control %04x, x87 flags %02x, mxcsr %08x", s.x87Control,
                s.x87Status & 0x3F, s.mxcsr);
  return text;
}

constexpr std::uint16_t kX87Default = 0x037F;
constexpr std::uint16_t kX87Double = 0x027F;       // 53-bit precision control
constexpr std::uint16_t kX87Upward = 0x0B7F;       // x87 rounding up, SSE untouched
constexpr std::uint32_t kMxcsrDefault = 0x1F80;
constexpr std::uint32_t kMxcsrUpward = 0x5F80;     // SSE rounding up, x87 untouched
constexpr std::uint32_t kMxcsrFlushDenormals = 0x9FC0;  // FTZ and DAZ
// Both x87 controls away from the call's, for hosts that also have flags
// raised: a call that reaches the x87 must set its own control word and
// hand back the host's flags as well as its control word.
constexpr std::uint16_t kX87SingleTowardZero = 0x0C7F;  // 24-bit significand, toward zero
constexpr std::uint16_t kX87DoubleUpward = 0x0A7F;      // 53-bit significand, upward

inline bool IsDefault(const HostState& s) {
  return s.x87Control == kX87Default && (s.mxcsr & ~0x3Fu) == kMxcsrDefault;
}

inline void SetX87Control(std::uint16_t control) { asm volatile("fldcw %0" ::"m"(control)); }

inline void SetMxcsr(std::uint32_t mxcsr) { asm volatile("ldmxcsr %0" ::"m"(mxcsr)); }

// Raises x87 flags without computing anything: the status word is written
// through the saved environment.
inline void SetX87Flags(std::uint16_t flags) {
  struct {
    std::uint16_t control, unused1, status, unused2;
    std::uint32_t rest[5];
  } env;
  asm volatile("fnstenv %0" : "=m"(env));
  env.status = static_cast<std::uint16_t>((env.status & ~0x3F) | flags);
  asm volatile("fldenv %0" ::"m"(env));
}

// Host flag sets for the flags mode: in x87 only (the library must restore
// them after its own work), in MXCSR only, and in both.
struct RaisedFlags {
  std::uint16_t x87;
  std::uint32_t sse;
};
constexpr RaisedFlags kRaisedFlags[] = {
    {FE_INEXACT | FE_OVERFLOW, 0},
    {0, FE_UNDERFLOW | FE_INVALID | 0x02},  // 0x02: denormal operand
    {FE_DIVBYZERO, FE_INEXACT},
    {FE_ALL_EXCEPT, FE_ALL_EXCEPT},
};

inline void RaiseFlags(const RaisedFlags& raised) {
  SetMxcsr(kMxcsrDefault | raised.sse);
  SetX87Flags(raised.x87);
}

inline bool FlagsAre(const HostState& s, const RaisedFlags& raised) {
  return (s.x87Status & 0x3F) == raised.x87 && (s.mxcsr & 0x3F) == raised.sse;
}

// The settings only this architecture has.
inline bool SetArchitectureMode(std::string_view mode) {
  if (mode == "precision53") {
    SetX87Control(kX87Double);
  } else if (mode == "x87_upward") {
    SetX87Control(kX87Upward);
  } else if (mode == "sse_upward") {
    SetMxcsr(kMxcsrUpward);
  } else if (mode == "flush_denormals") {
    SetMxcsr(kMxcsrFlushDenormals);
  } else if (mode == "x87_single_towardzero_flags") {
    SetX87Control(kX87SingleTowardZero);
    RaiseFlags(kRaisedFlags[0]);
    SetMxcsr(kMxcsrDefault | FE_INEXACT);
  } else if (mode == "x87_double_upward_flags") {
    SetX87Control(kX87DoubleUpward);
    RaiseFlags(kRaisedFlags[3]);
  } else {
    return false;
  }
  return true;
}

#elif defined(__aarch64__)

struct HostState {
  std::uint64_t fpcr;
  std::uint64_t fpsr;
};

inline HostState ReadHostState() {
  HostState s;
  asm volatile("mrs %0, fpcr" : "=r"(s.fpcr)::"memory");
  asm volatile("mrs %0, fpsr" : "=r"(s.fpsr)::"memory");
  return s;
}

inline bool operator==(const HostState& a, const HostState& b) {
  return a.fpcr == b.fpcr && a.fpsr == b.fpsr;
}

inline std::string Describe(const HostState& s) {
  char text[64];
  std::snprintf(text, sizeof text, "fpcr %08llx, fpsr %08llx", static_cast<unsigned long long>(s.fpcr),
                static_cast<unsigned long long>(s.fpsr));
  return text;
}

inline bool IsDefault(const HostState& s) { return s.fpcr == 0; }

inline void SetFpcr(std::uint64_t fpcr) { asm volatile("msr fpcr, %0" ::"r"(fpcr) : "memory"); }
inline void SetFpsr(std::uint64_t fpsr) { asm volatile("msr fpsr, %0" ::"r"(fpsr) : "memory"); }

constexpr std::uint64_t kFlushToZero = std::uint64_t{1} << 24;      // FZ
constexpr std::uint64_t kDefaultNaN = std::uint64_t{1} << 25;       // DN
constexpr std::uint64_t kHalfFlushToZero = std::uint64_t{1} << 19;  // FZ16

inline bool SetArchitectureMode(std::string_view mode) {
  if (mode == "flush_denormals") {
    SetFpcr(kFlushToZero | kHalfFlushToZero);
  } else if (mode == "default_nan") {
    SetFpcr(kDefaultNaN);
  } else if (mode == "upward_flush_denormals") {
    SetFpcr((std::uint64_t{1} << 22) | kFlushToZero);  // RMode 01: toward +infinity
  } else {
    return false;
  }
  return true;
}

// FPSR's sticky bits: IOC, DZC, OFC, UFC, IXC (bits 0 to 4), IDC (bit 7)
// and the saturation flag QC (bit 27), alone and together.
struct RaisedFlags {
  std::uint64_t fpsr;
};
constexpr RaisedFlags kRaisedFlags[] = {
    {0x10 | 0x04}, {0x08 | 0x01 | 0x80}, {0x02}, {0x9F | (std::uint64_t{1} << 27)},
};

inline void RaiseFlags(const RaisedFlags& raised) { SetFpsr(raised.fpsr); }

inline bool FlagsAre(const HostState& s, const RaisedFlags& raised) { return s.fpsr == raised.fpsr; }

#else
#error "host-environment checks exist for x86-64 and aarch64"
#endif
