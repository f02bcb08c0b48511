#include "browser/registration_run.h"

#include <gtest/gtest.h>

#include "browser/link_fixture.h"

namespace {

using Registration = LinkFixture;

// The attempts come from a timer: nothing here waits, a run is never doubled, and it ends at the
// first attempt that finds the browser or after the twentieth.
TEST_F(Registration, AttemptsAreMadeOneByOneUpToTwentyAndStopWhenTheBrowserAnswers) {
  RegistrationRun run(*browserLink);
  ASSERT_TRUE(run.Begin());
  EXPECT_FALSE(run.Begin()) << "a browser seen during a run does not start a second one";
  int attempts = 1;
  while (run.Attempt()) ++attempts;
  EXPECT_EQ(RegistrationRun::kAttempts, attempts);

  ASSERT_TRUE(run.Begin());
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(run.Attempt());
  PeerThread browser;
  EXPECT_FALSE(run.Attempt()) << "the browser answered";
  EXPECT_FALSE(run.IsRunning());
  EXPECT_EQ(std::vector<std::string>{"HOPWISE1"},
            browser.Call([](BrowserPeer& p) { return p.EchoServers(); }));

  browserLink->Close();
  ASSERT_TRUE(run.Begin());
  EXPECT_TRUE(run.Attempt()) << "a closed link answers nothing and costs nothing";
  run.Cancel();
  EXPECT_FALSE(run.Attempt());
}

}  // namespace
