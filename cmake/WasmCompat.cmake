# WebAssembly with Debian's emscripten: every C++ file sees the stand-ins for
# what its C++ library lacks (wasm32-libcxx-compat.h), which build on the
# header-only fast_float and fmt, so those are visible everywhere, with the
# same fmt settings as in the library.
if(EMSCRIPTEN)
  include_directories(SYSTEM ${EVALO_HEADER_ONLY_INCLUDE_DIR})
  add_compile_definitions(FMT_HEADER_ONLY FMT_STATIC_THOUSANDS_SEPARATOR=',')
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/wasm32-libcxx-compat.h>")
endif()
