/* A host with functions of its own named version and format, exported so
   that they interpose on every lookup of those names in the process. The
   library's entry points are taken from the library itself (RTLD_NEXT); the
   library must work through them as if the host's names did not exist. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "evalo.h"

static int host_calls;

const char *version(void) {
  ++host_calls;
  return "host's version";
}

const char *format(const char *text) {
  (void)text;
  ++host_calls;
  return "host's format";
}

static int failures;

static void expect_text(const char *what, const char *actual, const char *expected) {
  if (strcmp(actual, expected) != 0) {
    printf("%s: got \"%s\", expected \"%s\"\n", what, actual, expected);
    ++failures;
  }
}

int main(void) {
  /* ISO C has no conversion from dlvsym's object pointer to a function
     pointer; POSIX guarantees the representations match. */
  void *version_symbol = dlvsym(RTLD_NEXT, "version", "EVALO_1.0");
  void *format_symbol = dlvsym(RTLD_NEXT, "format", "EVALO_1.0");
  if (!version_symbol || !format_symbol) {
    printf("library entry points not found: %s\n", dlerror());
    return 1;
  }
  const char *(*library_version)(void);
  const char *(*library_format)(const char *);
  memcpy(&library_version, &version_symbol, sizeof version_symbol);
  memcpy(&library_format, &format_symbol, sizeof format_symbol);

  expect_text("host's own version()", version(), "host's version");
  host_calls = 0;

  expect_text("library format", library_format("5.2"), "5.2");
  expect_text("evalos under 5.2", evalos("1/3"), "0.33");
  expect_text("library version", library_version(), "1.00");
  expect_text("evalos after version", evalos("(1+2)*SIN30"), "-2.96");
  expect_text("library format", library_format("%.3f"), "%.3f");
  expect_text("evalos under %.3f", evalos("PI"), "3.142");

  if (host_calls != 0) {
    printf("the library called the host's functions %d times\n", host_calls);
    ++failures;
  }
  if (failures == 0) puts("the host's version and format left the library alone");
  return failures != 0;
}
