# WebAssembly with Debian's emscripten: its own toolchain file, found through
# em-config, with node as the emulator that runs the programs.
find_program(EVALO_EM_CONFIG em-config REQUIRED)
execute_process(COMMAND ${EVALO_EM_CONFIG} EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE EVALO_EMSCRIPTEN_ROOT OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
include(${EVALO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# Programs read their input files and the host's directories straight
# through node (NODERAWFS), grow their memory as long inputs need, and flush
# their output when main returns.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1")

# Fills what its C++ library lacks (see the header).
set(CMAKE_CXX_FLAGS_INIT "-include ${CMAKE_CURRENT_LIST_DIR}/wasm32-libcxx-compat.h")
