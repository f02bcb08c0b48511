# hopwise_add_test(NAME <name> LABEL <unit|ui|e2e|browser> SOURCES <files...> LIBS <targets...>)
# One GoogleTest executable, registered with CTest as one test. Every test runs through
# tests/support/run_isolated.sh, which gives it a fresh XDG_RUNTIME_DIR (mode 0700) and an
# offscreen Qt platform, so tests running in parallel never share transport service names.
find_package(GTest REQUIRED)

function(hopwise_add_test)
  cmake_parse_arguments(T "" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
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
endfunction()
