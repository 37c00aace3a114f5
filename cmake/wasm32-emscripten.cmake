# WebAssembly with Debian's emscripten: its own toolchain file, found through
# em-config, with node as the emulator that runs the programs.
find_program(EVALO_EM_CONFIG em-config REQUIRED)
execute_process(COMMAND ${EVALO_EM_CONFIG} EMSCRIPTEN_ROOT
  OUTPUT_VARIABLE EVALO_EMSCRIPTEN_ROOT OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
include(${EVALO_EMSCRIPTEN_ROOT}/cmake/Modules/Platform/Emscripten.cmake)

# Programs read their input files and the host's directories straight
# through node (NODERAWFS), grow their memory as long inputs need, and flush
# their output when main returns. SINGLE_FILE puts the wasm code inside the
# .js file: this emscripten's loader would otherwise fetch() the .wasm file
# by path whenever a global fetch exists, as in node 18 and later, and fail.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sSINGLE_FILE=1")

# Linking runs emscripten's JavaScript tools, which need Debian's node
# modules (acorn) from /usr/share/nodejs. Debian's own node looks there; a
# node from elsewhere has to be told.
if(EXISTS /usr/share/nodejs/acorn)
  set(CMAKE_C_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
  set(CMAKE_CXX_LINKER_LAUNCHER env NODE_PATH=/usr/share/nodejs)
endif()
