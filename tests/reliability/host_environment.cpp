// A host's floating-point environment must neither change a result nor be
// changed by a call. Each run sets one host environment, in a process of its
// own (a trap or a precision setting must not leak into the next check):
//
//     evalo_host_environment <mode>
//
// It first evaluates a table of expressions under the defaults, then sets the
// host environment of the mode and evaluates the table again. Every result
// must match bit for bit, and after every call the floating-point control
// and status registers (x87 and MXCSR, or FPCR and FPSR) must read exactly as
// before it.
//
// Between reading the registers and the call, and between the call and the
// second reading, this program does no floating-point arithmetic of its own:
// the calls go into the shared library, which the compiler cannot see into,
// so nothing can be moved across the readings.
#include <bit>
#include <cfenv>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "evalo.h"
#include "host_registers.h"

namespace {

// Rounding-sensitive arithmetic and every function keyword, plus the
// faults, which must stay Math errors under any host setting.
constexpr const char* kExpressions[] = {
    "1/3", "2/3", "10/7", "0.1+0.2", "1-0.9", "1,000,000/3", "123456789*987654321",
    "2^0.5", "3^-2.5", "1.5^1000", "(-8)^(1/3)", "10^-5", "2^-1074", "7/9*PI",
    "SIN1", "COS1", "TAN1", "SIN30", "2*SIN(PI/5)", "SIN\x83\xAE/7", "COS\x83\xAE/3",
    "TAN\x83\xAE/9", "ASIN0.3", "ACOS0.3", "ATAN1", "ATAN(1/3)",
    "SINH1", "COSH1", "TANH0.5", "ASINH2", "ACOSH2", "ATANH0.5",
    "EXP1", "EXP(-1)", "EXP709", "EXP(-745)", "LN2", "LN10", "LN(1/3)", "LOG2", "LOG(1/7)",
    "SQRT2", "\x81\xE3" "3", "SQRT(1E-300)", "DEGREE1", "RADIAN57",
    "FLOOR(-2.5)", "CEIL2.1", "ABS(-3.7)", "FRAC(10/3)", "ROUND2.5", "ROUND(-0.5)",
    "ROUND(1/3*1000)", "1E-310*1", "1E-300*1E-10", "0/-5", "-0",
    "1/0", "0/0", "LN0", "LN(-1)", "EXP710", "SQRT(-1)", "1E308*10", "1E308+1E308",
    "ASIN2", "ACOSH0.5", "ATANH1", "(-8)^0.5",
    // Calls that may finish without any extended arithmetic: empty, a bare
    // number, syntax and bracket errors.
    "", "7", "1+", "(2", "2)", "1+2",
};

// Format texts that take each of the later paths: none, rounding, the
// 15-digit text, and patterns that show all the digits they get.
constexpr const char* kFormats[] = {"", "5.2", " ", "15.15", "%.18e", "%.3f", "%g", "%x"};

struct Outcome {
  std::uint64_t valueBits;
  int code;
  std::string errorText;
  std::string text;
  std::uint64_t contextBits;
  std::string contextText;
};

bool operator==(const Outcome& a, const Outcome& b) {
  return a.valueBits == b.valueBits && a.code == b.code && a.errorText == b.errorText &&
         a.text == b.text && a.contextBits == b.contextBits && a.contextText == b.contextText;
}

constexpr int kSkipped = 77;  // the test's SKIP_RETURN_CODE

int failures = 0;

void Fail(const std::string& what) {
  if (++failures <= 30) std::fprintf(stderr, "FAIL: %s\n", what.c_str());
}

// One expression under one format text, through the six functions and a
// context; the host state is checked around every call.
Outcome EvaluateChecked(evalo_context* ctx, const char* expression, const char* formatText) {
  Outcome o;
  const auto checked = [&](const char* call, auto&& run) {
    const HostState before = ReadHostState();
    run();
    const HostState after = ReadHostState();
    if (!(before == after))
      Fail(std::string(call) + "(\"" + expression + "\") under \"" + formatText +
           "\" changed the host: " + Describe(before) + " became " + Describe(after));
  };
  checked("format", [&] { format(formatText); });
  checked("evalo", [&] { o.valueBits = std::bit_cast<std::uint64_t>(evalo(expression)); });
  checked("error", [&] { o.code = error(); });
  checked("errors", [&] { o.errorText = errors(); });
  checked("evalos", [&] { o.text = evalos(expression); });
  checked("evalo_set_format", [&] { evalo_set_format(ctx, formatText); });
  checked("evalo_evaluate",
          [&] { o.contextBits = std::bit_cast<std::uint64_t>(evalo_evaluate(ctx, expression)); });
  checked("evalo_evaluate_text", [&] { o.contextText = evalo_evaluate_text(ctx, expression); });
  return o;
}

std::vector<Outcome> EvaluateTable(evalo_context* ctx) {
  std::vector<Outcome> outcomes;
  for (const char* f : kFormats)
    for (const char* e : kExpressions) outcomes.push_back(EvaluateChecked(ctx, e, f));
  return outcomes;
}

void CompareTables(const std::vector<Outcome>& expected, const std::vector<Outcome>& actual,
                   const char* mode) {
  std::size_t i = 0;
  for (const char* f : kFormats) {
    for (const char* e : kExpressions) {
      const Outcome& x = expected[i];
      const Outcome& y = actual[i];
      ++i;
      if (x == y) continue;
      char text[512];
      std::snprintf(text, sizeof text,
                    "%s: \"%s\" under \"%s\": %016llx %d \"%s\" \"%s\", nearest gave %016llx %d "
                    "\"%s\" \"%s\"",
                    mode, e, f, static_cast<unsigned long long>(y.valueBits), y.code,
                    y.errorText.c_str(), y.text.c_str(),
                    static_cast<unsigned long long>(x.valueBits), x.code, x.errorText.c_str(),
                    x.text.c_str());
      Fail(text);
    }
  }
}

// The faults a trapping host must see as the Math error, not as SIGFPE.
void CheckFaultsAreMathErrors(evalo_context* ctx) {
  for (const char* e : {"1/0", "LN0", "EXP710", "SQRT(-1)"}) {
    const Outcome o = EvaluateChecked(ctx, e, "");
    if (o.valueBits != 0 || o.code != EVALO_ERR_MATH || o.errorText != "Err.Math" ||
        o.text != "Err.Math" || o.contextText != "Err.Math")
      Fail(std::string(e) + " is not the Math error under traps");
  }
}

extern "C" void ReportTrap(int) {
  constexpr char message[] = "FAIL: SIGFPE inside the library\n";
  (void)!write(2, message, sizeof message - 1);
  _exit(3);
}

bool SetHostEnvironment(std::string_view mode) {
  if (mode == "upward") return std::fesetround(FE_UPWARD) == 0;
  if (mode == "downward") return std::fesetround(FE_DOWNWARD) == 0;
  if (mode == "towardzero") return std::fesetround(FE_TOWARDZERO) == 0;
  if (mode == "traps") {
    std::signal(SIGFPE, ReportTrap);
    return feenableexcept(FE_DIVBYZERO | FE_INVALID | FE_OVERFLOW) != -1;
  }
  return SetArchitectureMode(mode);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s upward|downward|towardzero|traps|flags|<architecture mode>\n",
                 argv[0]);
    return 2;
  }
  const std::string_view mode = argv[1];
  evalo_context* ctx = evalo_create();
  if (ctx == nullptr) return 2;

  // Reference first, in the defaults this process started with.
  const HostState defaults = ReadHostState();
  if (!IsDefault(defaults)) {
    std::fprintf(stderr, "process did not start in the default environment: %s\n",
                 Describe(defaults).c_str());
    return 2;
  }
  const std::vector<Outcome> expected = EvaluateTable(ctx);

  std::size_t succeeded = 0;
  for (const Outcome& o : expected) succeeded += o.code == EVALO_OK;

  if (mode == "flags") {
    for (const RaisedFlags& raised : kRaisedFlags) {
      RaiseFlags(raised);
      CompareTables(expected, EvaluateTable(ctx), "flags");
      const HostState now = ReadHostState();
      if (!FlagsAre(now, raised)) Fail("raised flags changed: " + Describe(now));
      std::feclearexcept(FE_ALL_EXCEPT);
    }
  } else {
    if (!SetHostEnvironment(mode)) {
      // Most ARM processors (and qemu) implement no floating-point traps:
      // the enable bits read back as zero. Nothing to check then.
      if (mode == "traps") {
        std::printf("traps: this processor has no floating-point traps\n");
        return kSkipped;
      }
      std::fprintf(stderr, "cannot set host environment \"%s\"\n", argv[1]);
      return 2;
    }
    const HostState host = ReadHostState();
    CompareTables(expected, EvaluateTable(ctx), argv[1]);
    if (mode == "traps") CheckFaultsAreMathErrors(ctx);
    if (!(ReadHostState() == host)) Fail("host environment changed: " + Describe(ReadHostState()));
  }
  evalo_destroy(ctx);

  if (failures > 0) {
    std::fprintf(stderr, "%s: %d failures\n", argv[1], failures);
    return 1;
  }
  std::printf("%s: %zu evaluations (%zu without error) identical to round-to-nearest, host "
              "environment kept\n",
              argv[1], expected.size(), succeeded);
  return 0;
}
