// The currency symbol of "%m" in each context's encoding. The library reads
// the locale when it is loaded, so this program chooses ja_JP.UTF-8 first
// and loads the library after (argument: its path). Exit 77: no such locale.
#include <dlfcn.h>

#include <clocale>
#include <cstdio>
#include <cstring>

#include "evalo.h"

namespace {

int failures = 0;

void Expect(const char* what, const char* seen, const char* expected) {
  if (std::strcmp(seen, expected) == 0) return;
  std::printf("%s: \"%s\", expected \"%s\"\n", what, seen, expected);
  ++failures;
}

template <class F>
F Find(void* library, const char* name) {
  void* symbol = dlsym(library, name);
  if (symbol == nullptr) {
    std::printf("missing %s\n", name);
    ++failures;
  }
  return reinterpret_cast<F>(symbol);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  if (std::setlocale(LC_ALL, "ja_JP.UTF-8") == nullptr) {
    std::puts("ja_JP.UTF-8 is not installed");
    return 77;
  }
  void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::printf("%s\n", dlerror());
    return 1;
  }
  const auto create = Find<evalo_context* (*)(unsigned)>(library, "evalo_create_with");
  const auto destroy = Find<void (*)(evalo_context*)>(library, "evalo_destroy");
  const auto setFormat = Find<const char* (*)(evalo_context*, const char*)>(library, "evalo_set_format");
  const auto evaluate = Find<const char* (*)(evalo_context*, const char*)>(library, "evalo_evaluate_text");
  if (failures != 0) return 1;

  evalo_context* cp932 = create(0);
  evalo_context* utf8 = create(EVALO_UTF8);
  setFormat(cp932, "%m");
  setFormat(utf8, "%m");
  Expect("code page 932", evaluate(cp932, "-1234"), "\x81\x8F-1,234");
  Expect("UTF-8", evaluate(utf8, "-1234"), "\xEF\xBF\xA5-1,234");  // ￥
  destroy(cp932);
  destroy(utf8);
  dlclose(library);
  return failures == 0 ? 0 : 1;
}
