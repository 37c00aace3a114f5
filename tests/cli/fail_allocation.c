/* Preloaded into the tool to make one chosen large allocation fail, so a
 * test can walk through every place where a long line needs memory.
 *
 *   EVALO_LARGE_ALLOCATION_BYTES  allocations of at least this size count
 *   EVALO_FAIL_LARGE_ALLOCATION   the number (from 0) of the one to fail
 */
#include <errno.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>

void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);

static size_t large_bytes = SIZE_MAX;
static unsigned long long failing_number = ~0ULL;
static unsigned long long large_seen;
static int configured;

static int ShouldFail(size_t size) {
  if (!configured) {
    configured = 1;
    const char *bytes = getenv("EVALO_LARGE_ALLOCATION_BYTES");
    const char *number = getenv("EVALO_FAIL_LARGE_ALLOCATION");
    if (bytes != NULL && number != NULL) {
      large_bytes = (size_t)strtoull(bytes, NULL, 10);
      failing_number = strtoull(number, NULL, 10);
    }
  }
  if (size < large_bytes) return 0;
  if (large_seen++ != failing_number) return 0;
  errno = ENOMEM;
  return 1;
}

void *malloc(size_t size) { return ShouldFail(size) ? NULL : __libc_malloc(size); }

void *calloc(size_t count, size_t size) {
  const size_t total = count != 0 && size > SIZE_MAX / count ? SIZE_MAX : count * size;
  return ShouldFail(total) ? NULL : __libc_calloc(count, size);
}

void *realloc(void *block, size_t size) {
  return ShouldFail(size) ? NULL : __libc_realloc(block, size);
}
