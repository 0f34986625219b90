# zepla_add_test(NAME SOURCES file... LIBS target...)
# One Qt Test executable registered with ctest; every test runs without a display, in a home folder of its
# own that starts empty at every run, so tests touching preferences or data folders never meet under ctest -j.
# Every source starts with tests/support/HangGuard.h: waits without a limit of their own wait up to its guard.
# The time limits below are hang guards too, set for a busy two-core machine.
function(zepla_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE ZEPLA_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  target_compile_options(${name} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/support/HangGuard.h)
  set(home ${CMAKE_BINARY_DIR}/test-homes/${name})
  add_test(NAME ${name}
    COMMAND sh -c "rm -rf \"$1\" && mkdir -p \"$1\" && exec \"$0\""
            $<TARGET_FILE:${name}> ${home})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;OMP_THREAD_LIMIT=1;HOME=${home};XDG_CONFIG_HOME=${home}/.config;XDG_DATA_HOME=${home}/.local/share;XDG_CACHE_HOME=${home}/.cache;QTEST_FUNCTION_TIMEOUT=1800000"
    TIMEOUT 1800)
endfunction()
