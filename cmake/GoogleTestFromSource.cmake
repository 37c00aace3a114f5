# The system's GoogleTest library is built for the build machine. A cross
# build compiles the target's own from Debian's sources instead.
set(EVALO_GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for cross builds")
if(NOT EXISTS ${EVALO_GOOGLETEST_SOURCE_DIR}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${EVALO_GOOGLETEST_SOURCE_DIR}: "
                      "run scripts/install-deps.sh (Debian package googletest)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
if(EMSCRIPTEN)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)  # WebAssembly here runs one thread
endif()
add_subdirectory(${EVALO_GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
