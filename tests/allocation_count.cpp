// Counts heap allocations made while the library evaluates: expressions of a
// few hundred bytes must need none. malloc and friends are defined here, so
// they take the place of libc's for the library too, and can refuse, to show
// what an evaluation does without memory.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "evalo.h"

extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);

namespace {
bool counting = false;
bool refusing = false;  // every allocation fails, as when memory runs out
long allocations = 0;
}  // namespace

extern "C" void* malloc(std::size_t size) {
  if (counting) ++allocations;
  if (refusing) return nullptr;
  return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t n, std::size_t size) {
  if (counting) ++allocations;
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
  if (counting) ++allocations;
  if (refusing) return nullptr;
  return __libc_realloc(p, size);
}

int main() {
  std::string sum = "1";
  while (sum.size() < 400) sum += "+1,234.5";
  const std::string expressions[] = {
      "1+2", "(1+2)*3.5-4/2", "SIN(0.5)+COS(0.5)*SQRT(2)", "((((((1+2))))))", "2E3^2", "1/0", "(1", "xyz",
      "\x81\x69\x82\x50\x81\x7B\x82\x51\x81\x6A\x81\x96\x82\x52",  // （１＋２）＊３
      sum,
  };
  const char* formats[] = {"", "5.2", " ", "%8.3f", "%08b", "%n"};
  int failures = 0;
  for (const char* f : formats) {
    format(f);
    for (const std::string& e : expressions) {
      allocations = 0;
      counting = true;
      evalo(e.c_str());
      evalos(e.c_str());
      errors();
      counting = false;
      if (allocations != 0) {
        std::printf("%ld allocations for \"%.40s\" under \"%s\"\n", allocations, e.c_str(), f);
        ++failures;
      }
    }
  }
  // The counter must see the library's allocations when there are some: a
  // long expression takes a heap copy.
  const std::string longer(4000, '1');
  allocations = 0;
  counting = true;
  evalo(longer.c_str());
  counting = false;
  if (allocations == 0) {
    std::puts("the counter saw no allocation for a 4000-byte expression");
    ++failures;
  }
  // Without memory for the working copy, the evaluation ends with the Memory
  // error, and the short expressions still evaluate.
  refusing = true;
  const std::string refused = evalos(longer.c_str());  // copied: the buffer is reused
  const int refusedCode = error();
  format("");
  const double shortValue = evalo("1+2");
  const int shortCode = error();
  refusing = false;
  if (refusedCode != EVALO_ERR_MEMORY || refused != "Err.Memory") {
    std::printf("without memory: code %d, text \"%s\"\n", refusedCode, refused.c_str());
    ++failures;
  }
  if (shortValue != 3 || shortCode != EVALO_OK) {
    std::printf("without memory, 1+2 gave %g with code %d\n", shortValue, shortCode);
    ++failures;
  }
  // Where a text stops being evaluated where the caller keeps it: from 512
  // bytes on, and at an "=", it takes the working copy even when an error
  // before that point settles nothing else.
  std::string sum511 = "1";
  while (sum511.size() < 511) sum511 += "+1";
  const struct {
    std::string text;
    int code;
  } withoutMemory[] = {
      {sum511, EVALO_OK},
      {sum511 + " ", EVALO_ERR_MEMORY},
      {"1+*2" + std::string(600, ' '), EVALO_ERR_MEMORY},
      {"1+2=" + std::string(600, '1'), EVALO_ERR_MEMORY},
      {"=" + std::string(600, '1'), EVALO_ERR_MEMORY},
      {"1+*2=" + std::string(400, '1'), EVALO_ERR_SYNTAX},
  };
  refusing = true;
  for (const auto& c : withoutMemory) {
    evalo(c.text.c_str());
    const int code = error();
    if (code != c.code) {
      std::printf("without memory, %zu bytes \"%.8s...\" gave code %d, not %d\n", c.text.size(), c.text.c_str(), code,
                  c.code);
      ++failures;
    }
  }
  refusing = false;
  if (failures == 0) std::puts("no allocation on the evaluation path; Err.Memory without memory");
  return failures == 0 ? 0 : 1;
}
