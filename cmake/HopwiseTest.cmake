# hopwise_add_test(NAME <name> LABEL <unit|ui|e2e|browser> [TIMEOUT <s>] [SKIP_RETURN_CODE <n>]
#                  SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable, registered with CTest as one test. Every test runs through
# tests/support/run_isolated.sh, which gives it a fresh XDG_RUNTIME_DIR (mode 0700) and an
# offscreen Qt platform, so tests running in parallel never share transport service names.
# A program that may skip as a whole (its browser is not installed) gets SKIP_RETURN_CODE: CTest
# then reports that exit status as skipped. The program learns the code as HOPWISE_SKIP_RETURN_CODE
# and returns it through RunAllTestsReportingSkips (tests/support/skip_reporting.h), for instance
# with tests/support/skip_reporting_main.cpp as its main().
find_package(GTest REQUIRED)

function(hopwise_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT;SKIP_RETURN_CODE" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE hopwise_options)
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock Threads::Threads)
  target_compile_definitions(${T_NAME} PRIVATE
    HOPWISE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    HOPWISE_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  add_test(NAME ${T_NAME}
    COMMAND ${PROJECT_SOURCE_DIR}/tests/support/run_isolated.sh $<TARGET_FILE:${T_NAME}>)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT})
  if(T_SKIP_RETURN_CODE)
    target_compile_definitions(${T_NAME} PRIVATE HOPWISE_SKIP_RETURN_CODE=${T_SKIP_RETURN_CODE})
    set_tests_properties(${T_NAME} PROPERTIES SKIP_RETURN_CODE ${T_SKIP_RETURN_CODE})
  endif()
endfunction()
