// A C++ program built against the installed package through find_package:
// one context per owner, freed by unique_ptr.
#include <evalo.h>

#include <cstdio>
#include <memory>
#include <string_view>

namespace {

using Context = std::unique_ptr<evalo_context, decltype(&evalo_destroy)>;

int failures = 0;

void Expect(std::string_view what, std::string_view actual, std::string_view expected) {
  if (actual != expected) {
    std::printf("%.*s: \"%.*s\"\n", int(what.size()), what.data(), int(actual.size()),
                actual.data());
    ++failures;
  }
}

}  // namespace

int main() {
  Context ctx(evalo_create(), &evalo_destroy);
  evalo_set_format(ctx.get(), "5.2");
  Expect("1/3 under 5.2", evalo_evaluate_text(ctx.get(), "1/3"), "0.33");
  evalo_set_format(ctx.get(), "%.3f");
  Expect("PI under %.3f", evalo_evaluate_text(ctx.get(), "PI"), "3.142");

  Context other(evalo_create(), &evalo_destroy);
  Expect("7/2 on a fresh context", evalo_evaluate_text(other.get(), "7/2"), "3.5");
  evalo_evaluate(other.get(), "(1+2");
  Expect("error text", evalo_error_text(other.get()), "Err.Bracket");
  if (evalo_error(other.get()) != EVALO_ERR_BRACKET) ++failures;

  Expect("process-wide evalos", evalos("2^3^2"), "64");
  if (failures == 0) std::puts("C++ consumer: ok");
  return failures != 0;
}
