# The JavaScript package's tests in the library's own suite. They build the
# WebAssembly module (incrementally) and compare it with this build's
# library; where node, emscripten or the browser is missing they are
# skipped with the reason, never passed.
add_subdirectory(${CMAKE_CURRENT_LIST_DIR}/test/native ${CMAKE_CURRENT_BINARY_DIR}/js-reference)

add_test(NAME js_package COMMAND ${CMAKE_CURRENT_LIST_DIR}/test/ctest.sh package)
add_test(NAME js_page COMMAND ${CMAKE_CURRENT_LIST_DIR}/test/ctest.sh page)
set_tests_properties(js_package js_page PROPERTIES
  SKIP_RETURN_CODE 77
  TIMEOUT 900
  ENVIRONMENT "EVALO_REFERENCE=$<TARGET_FILE:evalo_js_reference>")
# Both build the module; one at a time.
set_tests_properties(js_page PROPERTIES DEPENDS js_package)
