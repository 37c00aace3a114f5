# fast_float (decimal text to the nearest double) and {fmt} (correctly
# rounded digits) are used header-only: the library needs nothing of them at
# run time. They are taken from the build machine's /usr/include whatever the
# target, but only these two directories, through links under the build
# tree: the whole host include directory would shadow a cross target's own
# C library headers.
find_path(EVALO_FAST_FLOAT_INCLUDE_DIR fast_float/fast_float.h
  PATHS /usr/local/include /usr/include NO_CMAKE_FIND_ROOT_PATH)
find_path(EVALO_FMT_INCLUDE_DIR fmt/compile.h
  PATHS /usr/local/include /usr/include NO_CMAKE_FIND_ROOT_PATH)
if(NOT EVALO_FAST_FLOAT_INCLUDE_DIR OR NOT EVALO_FMT_INCLUDE_DIR)
  message(FATAL_ERROR
    "fast_float and fmt headers not found: run scripts/install-deps.sh "
    "(Debian packages libfast-float-dev and libfmt-dev)")
endif()

set(EVALO_HEADER_ONLY_INCLUDE_DIR ${CMAKE_BINARY_DIR}/header-only-deps)
file(MAKE_DIRECTORY ${EVALO_HEADER_ONLY_INCLUDE_DIR})
foreach(pair "fast_float|${EVALO_FAST_FLOAT_INCLUDE_DIR}" "fmt|${EVALO_FMT_INCLUDE_DIR}")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 name)
  list(GET pair 1 dir)
  file(CREATE_LINK ${dir}/${name} ${EVALO_HEADER_ONLY_INCLUDE_DIR}/${name} SYMBOLIC)
endforeach()

add_library(evalo_header_only_deps INTERFACE)
target_include_directories(evalo_header_only_deps SYSTEM INTERFACE ${EVALO_HEADER_ONLY_INCLUDE_DIR})
# FMT_HEADER_ONLY: no libfmt at run time. FMT_STATIC_THOUSANDS_SEPARATOR:
# no std::locale anywhere in the formatting code.
target_compile_definitions(evalo_header_only_deps INTERFACE
  FMT_HEADER_ONLY FMT_STATIC_THOUSANDS_SEPARATOR=',')
