/* Linked with libevalo first, then glibc_error_user, then libc: evalo's error
   is the first definition of the name in the search order. The check passes
   when the helper's call reaches the implementation named by argv[1]
   ("glibc" or "evalo") and this program's own calls reach evalo's error. */
#define _GNU_SOURCE
#include <link.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "evalo.h"

void report_through_glibc(const char *message);

static const char kMessage[] = "reached glibc's error(3)";

static int find_object(struct dl_phdr_info *info, size_t size, void *data) {
  (void)size;
  int *positions = data; /* [0] counter, [1] libevalo, [2] libc */
  const char *name = strrchr(info->dlpi_name, '/');
  name = name ? name + 1 : info->dlpi_name;
  if (strncmp(name, "libevalo", 8) == 0 && positions[1] < 0) positions[1] = positions[0];
  if (strncmp(name, "libc.so", 7) == 0 && positions[2] < 0) positions[2] = positions[0];
  ++positions[0];
  return 0;
}

/* Runs the helper with standard error going to a temporary file and returns
   whether glibc's message appeared there. */
static int helper_printed_glibc_message(void) {
  FILE *capture = tmpfile();
  if (!capture) return -1;
  fflush(stderr);
  int saved = dup(STDERR_FILENO);
  dup2(fileno(capture), STDERR_FILENO);
  report_through_glibc(kMessage);
  fflush(stderr);
  dup2(saved, STDERR_FILENO);
  close(saved);

  char seen[256] = {0};
  rewind(capture);
  size_t length = fread(seen, 1, sizeof seen - 1, capture);
  fclose(capture);
  fprintf(stderr, "helper wrote %zu bytes: %s", length, length ? seen : "(nothing)\n");
  return strstr(seen, kMessage) != NULL;
}

int main(int argc, char **argv) {
  if (argc != 2) return 2;
  int expect_glibc = strcmp(argv[1], "glibc") == 0;

  int positions[3] = {0, -1, -1};
  dl_iterate_phdr(find_object, positions);
  if (positions[1] < 0 || positions[2] < 0 || positions[1] > positions[2]) {
    fprintf(stderr, "libevalo is not ahead of libc in the search order\n");
    return 1;
  }

  evalo("1/0");
  int before = error();
  int reached_glibc = helper_printed_glibc_message();
  int after = error();

  printf("program's error(): %d then %d; helper reached %s's error\n", before, after,
         reached_glibc ? "glibc" : "evalo");
  return before == EVALO_ERR_MATH && after == EVALO_ERR_MATH && reached_glibc == expect_glibc
             ? 0
             : 1;
}
