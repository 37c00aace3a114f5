/* A C program built against the installed package through pkg-config. */
#include <evalo.h>
#include <stdio.h>
#include <string.h>

int main(void) {
  int failures = 0;
  const char *text = evalos("(1+2)*3.5-4/2");
  if (strcmp(text, "8.5") != 0) {
    printf("evalos: \"%s\"\n", text);
    ++failures;
  }
  double value = evalo("2^10");
  if (value != 1024.0 || error() != EVALO_OK) {
    printf("evalo: %.17g, error %d\n", value, error());
    ++failures;
  }
  evalo("1/0");
  if (error() != EVALO_ERR_MATH || strcmp(errors(), "Err.Math") != 0) {
    printf("1/0: error %d \"%s\"\n", error(), errors());
    ++failures;
  }
  if (failures == 0) puts("C consumer: ok");
  return failures != 0;
}
