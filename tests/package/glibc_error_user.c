/* A library of someone else's that reports through glibc's error(3). It is
   linked against libc alone, so its reference is error@GLIBC_*; loaded into a
   process that also holds libevalo, it must still reach glibc's. */
#include <error.h>

void report_through_glibc(const char *message) { error(0, 0, "%s", message); }
