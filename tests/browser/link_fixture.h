#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <vector>

#include "browser/browser_link.h"
#include "browser/dde_link.h"
#include "browser/dde_object.h"
#include "browser/recording_launcher.h"
#include "browser/transport_thread.h"
#include "support/recording_message_boxes.h"

// Hopwise's side of the link on the test's thread: the link, the browser link with its endpoint
// "HOPWISE1", and the preferences and launcher of the launch fallback. Registration pauses are
// counted, not slept.
class LinkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(link.Initialize());
    link.sleep = [this](std::chrono::milliseconds pause) { OnSleep(pause); };
    prefs.browser = "netscape.exe";
    prefs.browserPath = "/opt/netscape";
    browserLink = std::make_unique<BrowserLink>(link, prefs, launcher, messages);
    dde = browserLink->Endpoint();
  }
  void TearDown() override {
    dde = nullptr;
    browserLink.reset();
  }

  virtual void OnSleep(std::chrono::milliseconds pause) { sleeps.push_back(pause); }

  // Lets the other side's transaction run to its end while this side serves it.
  template <typename T>
  T Served(std::future<T> done) {
    EXPECT_TRUE(PumpUntil(instance, done));
    return done.get();
  }

  dde::Instance instance;
  DdeLink link{instance};
  CPrefs prefs;
  RecordingLauncher launcher;
  RecordingMessageBoxes messages;
  std::vector<std::chrono::milliseconds> sleeps;
  std::unique_ptr<BrowserLink> browserLink;
  CDDEObject* dde = nullptr;  // browserLink's endpoint "HOPWISE1"
};
