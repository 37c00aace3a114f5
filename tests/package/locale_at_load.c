/* The locale's settings as the library reads them when it is loaded: the
   program sets a locale, then loads the library, as a host that calls
   setlocale before dlopen does. Exit 77 (skipped) when the locale is not
   installed.
     locale_at_load LIBRARY fr_FR|ja_JP */
#include <dlfcn.h>
#include <locale.h>
#include <stdio.h>
#include <string.h>

#include "evalo.h"

typedef evalo_context *CreateWith(unsigned);
typedef void Destroy(evalo_context *);
typedef const char *SetFormat(evalo_context *, const char *);
typedef const char *EvaluateText(evalo_context *, const char *);

static int failures = 0;

static void expect(const char *what, const char *actual, const char *expected) {
  if (strcmp(actual, expected) == 0) return;
  printf("%s: got \"%s\", expected \"%s\"\n", what, actual, expected);
  ++failures;
}

int main(int argc, char **argv) {
  if (argc != 3) return 2;
  const int japanese = strcmp(argv[2], "ja_JP") == 0;
  if (setlocale(LC_ALL, japanese ? "ja_JP.UTF-8" : "fr_FR.UTF-8") == NULL) {
    printf("%s.UTF-8 is not installed\n", argv[2]);
    return 77;
  }
  void *library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == NULL) {
    printf("%s\n", dlerror());
    return 1;
  }
  /* ISO C has no conversion from dlsym's object pointer to a function
     pointer; POSIX guarantees the representations match. */
  void *symbols[4] = {dlsym(library, "evalo_create_with"), dlsym(library, "evalo_set_format"),
                      dlsym(library, "evalo_evaluate_text"), dlsym(library, "evalo_destroy")};
  if (!symbols[0] || !symbols[1] || !symbols[2] || !symbols[3]) {
    printf("library entry points not found: %s\n", dlerror());
    return 1;
  }
  CreateWith *create_with;
  SetFormat *set_format;
  EvaluateText *evaluate_text;
  Destroy *destroy;
  memcpy(&create_with, &symbols[0], sizeof symbols[0]);
  memcpy(&set_format, &symbols[1], sizeof symbols[1]);
  memcpy(&evaluate_text, &symbols[2], sizeof symbols[2]);
  memcpy(&destroy, &symbols[3], sizeof symbols[3]);
  evalo_context *cp932 = create_with(0);
  evalo_context *utf8 = create_with(EVALO_UTF8);
  if (japanese) {
    /* The full-width yen, in each context's own encoding. */
    set_format(cp932, "%m");
    set_format(utf8, "%m");
    expect("code page 932 %m", evaluate_text(cp932, "-1234"), "\x81\x8F-1,234");
    expect("UTF-8 %m", evaluate_text(utf8, "-1234"), "\xEF\xBF\xA5-1,234");
  } else {
    /* The narrow no-break space cannot be written: a blank, never the
       decimal comma. The euro has no code page 932 form: no symbol there. */
    set_format(cp932, "%m");
    set_format(utf8, "%m");
    expect("code page 932 %m", evaluate_text(cp932, "1234.5"), "1 234,50 ");
    expect("UTF-8 %m", evaluate_text(utf8, "1234.5"), "1 234,50 \xE2\x82\xAC");
  }
  destroy(cp932);
  destroy(utf8);
  return failures == 0 ? 0 : 1;
}
