#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "browser/browser_link.h"
#include "browser/dde_link.h"
#include "browser/dde_object.h"
#include "browser/recording_launcher.h"
#include "browser/transport_thread.h"
#include "support/recording_message_boxes.h"

// Hopwise's side of the link on the test's thread: the link, and the preferences and launcher of
// the launch fallback.
class LinkBase : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(link.Initialize());
    prefs.browser = "netscape.exe";
    prefs.browserPath = "/opt/netscape";
  }

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
};

// The browser link as the application has it, with its endpoint "HOPWISE1".
class LinkFixture : public LinkBase {
 protected:
  void SetUp() override {
    LinkBase::SetUp();
    browserLink = std::make_unique<BrowserLink>(link, prefs, launcher, messages);
  }
  void TearDown() override { browserLink.reset(); }

  std::unique_ptr<BrowserLink> browserLink;
};

// A bare endpoint "HOPWISE1", for the requests one by one.
class EndpointFixture : public LinkBase {
 protected:
  void SetUp() override {
    LinkBase::SetUp();
    dde = std::make_unique<CDDEObject>(link, prefs, launcher);
  }
  void TearDown() override { dde.reset(); }

  std::unique_ptr<CDDEObject> dde;
};
