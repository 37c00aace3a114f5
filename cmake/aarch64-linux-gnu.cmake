# Cross build for 64-bit ARM Linux with Debian's g++-aarch64-linux-gnu; the
# programs run under qemu-user with the target's C library from its
# multiarch root.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(EVALO_AARCH64_ROOT /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH ${EVALO_AARCH64_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L ${EVALO_AARCH64_ROOT})
