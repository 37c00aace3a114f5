// evalo: evaluates each expression given on the command line and prints
// the text the library returns for it, one line each.
#include <cstdio>
#include <cstring>

#include "evalo.h"

namespace {

void PrintUsage(std::FILE* out) {
  std::fputs("usage: evalo [-f FORMAT] EXPR...\n", out);
}

}  // namespace

int main(int argc, char** argv) {
  int first = 1;
  if (first < argc && std::strcmp(argv[first], "-f") == 0) {
    if (first + 1 >= argc) {
      PrintUsage(stderr);
      return 2;
    }
    format(argv[first + 1]);
    first += 2;
  }
  if (first >= argc) {
    PrintUsage(stderr);
    return 2;
  }
  int status = 0;
  for (int i = first; i < argc; ++i) {
    std::puts(evalos(argv[i]));
    if (error() != 0) status = 1;
  }
  return status;
}
