# hopwise_add_test(NAME <name> LABEL <unit|ui|e2e|browser> [TIMEOUT <s>] [SKIP_RETURN_CODE <n>]
#                  SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable. Each of its test cases is a CTest test of its own, named
# "<name>.<Suite>.<Case>", so a failure names the case and CTest spreads the cases over the cores;
# the cases are listed when CTest runs (not at build time). Every case runs through
# tests/support/run_isolated.sh, which gives it a fresh XDG_RUNTIME_DIR (mode 0700) and an
# offscreen Qt platform, so tests running in parallel never share transport service names.
# A case that GTEST_SKIPs is reported as skipped. The target tests_<label> builds the programs of
# one label, and nothing else (`cmake --build build --target tests_unit`, then `ctest -L unit`).
#
# A program that may skip as a whole (its browser is not installed) gets SKIP_RETURN_CODE and stays
# one CTest test: its cases share one browser start. CTest reports that exit status as skipped. The
# program learns the code as HOPWISE_SKIP_RETURN_CODE and returns it through
# RunAllTestsReportingSkips (tests/support/skip_reporting.h), for instance with
# tests/support/skip_reporting_main.cpp as its main().
find_package(GTest REQUIRED)
include(GoogleTest)

function(hopwise_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT;SKIP_RETURN_CODE" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE hopwise_options)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${T_NAME} PRIVATE
    HOPWISE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    HOPWISE_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  if(NOT TARGET tests_${T_LABEL})
    add_custom_target(tests_${T_LABEL})
  endif()
  add_dependencies(tests_${T_LABEL} ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set(isolated ${PROJECT_SOURCE_DIR}/tests/support/run_isolated.sh)
  if(T_SKIP_RETURN_CODE)
    add_test(NAME ${T_NAME} COMMAND ${isolated} $<TARGET_FILE:${T_NAME}>)
    target_compile_definitions(${T_NAME} PRIVATE HOPWISE_SKIP_RETURN_CODE=${T_SKIP_RETURN_CODE})
    set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
                                              SKIP_RETURN_CODE ${T_SKIP_RETURN_CODE})
    return()
  endif()
  # The wrapper runs the listing and every case.
  set_target_properties(${T_NAME} PROPERTIES CROSSCOMPILING_EMULATOR ${isolated})
  gtest_discover_tests(${T_NAME} TEST_PREFIX "${T_NAME}." DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 30
    PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
endfunction()
