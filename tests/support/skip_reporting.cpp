#include "support/skip_reporting.h"

#include <gtest/gtest.h>

int RunAllTestsReportingSkips(int skippedCode) {
  const int status = RUN_ALL_TESTS();
  const testing::UnitTest& run = *testing::UnitTest::GetInstance();
  const bool allSkipped = run.test_to_run_count() > 0 && run.skipped_test_count() == run.test_to_run_count();
  return status == 0 && allSkipped ? skippedCode : status;
}
