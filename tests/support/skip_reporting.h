#pragma once

// Runs the tests like RUN_ALL_TESTS(), with one difference: when every test that was to run
// skipped itself (GTEST_SKIP, e.g. because its browser is not installed), it returns skippedCode
// instead of 0. With that code as the test's SKIP_RETURN_CODE (hopwise_add_test), CTest reports
// the program as skipped rather than passed.
int RunAllTestsReportingSkips(int skippedCode);
