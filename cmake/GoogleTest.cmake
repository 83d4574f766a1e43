# GoogleTest from the machine's sources, built with the cross toolchain.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# kestro_add_test(name [WINDOWS] SOURCES ... LIBS ...): one Windows test
# program, run under Wine by CTest. WINDOWS: it shows windows and drives them
# (focus, menus, keys), so it has the display to itself. A test program runs
# again when Wine itself crashes as it ends (see scripts/wine-run.sh).
function(kestro_add_test name)
  cmake_parse_arguments(T "WINDOWS" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gtest kestro_options)
  add_test(NAME ${name} COMMAND ${name})
  kestro_wine_test(${name} ${T_WINDOWS})
endfunction()

# kestro_add_benchmark_run(target [WINDOWS]): runs a benchmark program once in
# its short form (--short: small sizes), so that one that no longer builds,
# starts or finishes fails the suite. Its figures are printed, never checked.
function(kestro_add_benchmark_run target)
  cmake_parse_arguments(B "WINDOWS" "" "" ${ARGN})
  add_test(NAME ${target}_short COMMAND ${target} --short)
  kestro_wine_test(${target}_short ${B_WINDOWS})
endfunction()

# A test run under Wine in the build tree's prefix; `windows`: it has the
# display to itself.
function(kestro_wine_test name windows)
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "KESTRO_WINEPREFIX=${KESTRO_WINEPREFIX};KESTRO_WINE_RERUN=1"
    FIXTURES_REQUIRED wineprefix TIMEOUT 600)
  if(windows)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK display)
  endif()
endfunction()

# The prefix is created once, single-threaded, before any test program runs.
add_test(NAME wineprefix_start
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/wine-env.sh" start "${KESTRO_WINEPREFIX}" "${KESTRO_ARCH}")
add_test(NAME wineprefix_stop COMMAND "${CMAKE_SOURCE_DIR}/scripts/wine-env.sh" stop "${KESTRO_WINEPREFIX}")
set_tests_properties(wineprefix_start PROPERTIES
  FIXTURES_SETUP "wineprefix;wineprefix_created" RUN_SERIAL ON TIMEOUT 300)
# The installed programs and country database, which tests of the whole
# program and of the real country lookup read; into the prefix once it exists.
add_test(NAME wineprefix_install COMMAND ${KESTRO_INSTALL_COMMAND})
set_tests_properties(wineprefix_install PROPERTIES
  FIXTURES_SETUP wineprefix FIXTURES_REQUIRED wineprefix_created RUN_SERIAL ON)
set_tests_properties(wineprefix_stop PROPERTIES FIXTURES_CLEANUP "wineprefix;wineprefix_created")
