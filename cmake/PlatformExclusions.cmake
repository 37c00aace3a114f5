# Tests that cannot apply on the target platform, each with its reason. They
# are written into CTestCustom.cmake, which ctest reads from the build
# directory; everything else runs on every platform.
set(EVALO_EXCLUDED_TESTS)
macro(evalo_exclude_tests)
  list(APPEND EVALO_EXCLUDED_TESTS ${ARGN})
endmacro()

if(CMAKE_CROSSCOMPILING)
  # Their scripts build consumers of the installed tree and run them directly.
  evalo_exclude_tests(package_find_package_consumer package_pkg_config_consumer)
  # The build machine's Python cannot load the target's library.
  evalo_exclude_tests(package_python_binding)
  # The tool converts its text through iconv, which has no code page 932
  # there: the emulated aarch64 root lacks glibc's gconv modules, and
  # emscripten's C library lacks the charset.
  evalo_exclude_tests(cli_Arguments cli_Value cli_StandardInput cli_Encodings cli_BadInput
                      cli_Terminal cli_Explain)
  # The same for the unit tests that take iconv's code page 932 as their
  # reference for the library's own conversions.
  evalo_exclude_tests(ErrorPlace.EveryRuleInBothEncodingsAndFullWidth
                      ErrorPlace.FullWidthExampleCountsBytesOfTheCallersEncoding
                      ErrorPlace.OffsetAtTheEndOfAMebibyte
                      Lookalikes.ReadOnlyWhenAskedForInEitherEncoding
                      Utf8Context.SameResultsAsCodePage932)
endif()

if(EMSCRIPTEN)
  # WebAssembly here runs one thread. (The shared-library checks under
  # tests/package and the export list are not even built there: a wasm
  # program links everything statically and has no dynamic symbols.)
  evalo_exclude_tests(InterfaceContext.ThreadsWithOwnContextsMatchASingleThread)
  # Its C library accepts any locale name but has only the C conventions:
  # there is no decimal-comma locale to show anything with.
  evalo_exclude_tests(InterfaceLocale.DecimalCommaLocaleChangesNothing InstalledLocale.FrenchGroupsWithABlank
                      InstalledLocale.GermanKeepsItsSeparators InstalledLocale.JapaneseYenInCodePage932)
  # It loads the shared library with dlopen; a wasm program has none.
  evalo_exclude_tests(currency_symbol_in_each_encoding)
  # Under node the tool sees its standard streams as terminals (it prompts
  # with "> " and explains errors), has no SIGPIPE, and reads no look-alike
  # marks from the locale's character set: what these groups check of a
  # filter on a Unix host does not exist there.
  evalo_exclude_tests(cli_Bits cli_LongLines cli_BrokenPipe cli_Lookalikes)
endif()

# evalo_unit_test_filter(<variable>): the GoogleTest filter that runs every
# unit test but the excluded ones (their names hold a ".").
function(evalo_unit_test_filter variable)
  set(excluded ${EVALO_EXCLUDED_TESTS})
  list(FILTER excluded INCLUDE REGEX "\\.")
  list(JOIN excluded ":" excluded)
  set(${variable} "*-${excluded}" PARENT_SCOPE)
endfunction()

file(WRITE ${CMAKE_BINARY_DIR}/CTestCustom.cmake
  "# Written by cmake/PlatformExclusions.cmake; the reasons are there.\n"
  "set(CTEST_CUSTOM_TESTS_IGNORE ${EVALO_EXCLUDED_TESTS})\n")
