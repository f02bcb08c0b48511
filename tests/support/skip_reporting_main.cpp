// The main() of a test program that may skip as a whole; hopwise_add_test(... SKIP_RETURN_CODE n)
// defines HOPWISE_SKIP_RETURN_CODE.
#include <gtest/gtest.h>

#include "support/skip_reporting.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  return RunAllTestsReportingSkips(HOPWISE_SKIP_RETURN_CODE);
}
