#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "store/data_files.h"
#include "store/data_paths.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/topics_model.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

// A fresh folder under the temporary directory; its path ends in "NAME-XXXXXX". Empty when it
// could not be made.
inline std::string MakeTempFolder(const std::string& name) {
  std::string pattern = (std::filesystem::temp_directory_path() / (name + "-XXXXXX")).string();
  return ::mkdtemp(pattern.data()) ? pattern : std::string();
}

// What most tests above the store start from: a data folder of their own (with its Topics
// folder, removed afterwards), the store, the data files and the Topics model over it, default
// preferences, a fake clock and recorded messages.
class DataFixture : public ::testing::Test {
 protected:
  explicit DataFixture(std::string name = "hopwise-test") : name_(std::move(name)) {}

  void SetUp() override {
    dir = MakeTempFolder(name_);
    ASSERT_FALSE(dir.empty());
    std::filesystem::create_directory(dir + "/Topics");
    paths = FormDataPaths(dir);
  }
  void TearDown() override {
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  std::string dir;
  FakeClock clock;
  RecordingMessageBoxes messages;
  CPrefs prefs;
  DataPaths paths;
  PageMarkStore store{prefs, clock};
  DataFiles files{messages, clock};
  TopicsModel topics{files, clock, paths};

 private:
  std::string name_;
};
