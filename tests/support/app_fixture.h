#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QWidget>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/tray_app.h"
#include "browser/recording_launcher.h"
#include "support/fake_clock.h"
#include "support/memory_preference_store.h"
#include "support/recording_message_boxes.h"

// A machine with no processes running.
class NoProcesses : public ProcessList {
 public:
  std::optional<std::vector<ProcessEntry>> Snapshot() override { return std::vector<ProcessEntry>{}; }
};

// The window that stands in for the icon, found by its name; null when there is none.
inline QWidget* NoTrayShown() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("noTrayWindow")) return widget;
  return nullptr;
}

// The services an application in this process gets: recording fakes, and a working folder (with
// its Topics folder) of its own under root_, removed afterwards.
class AppFixture : public ::testing::Test {
 protected:
  void MakeFolders(const std::string& name) {
    root_ = std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_ / "work" / "Topics");
  }
  void RemoveFolders() {
    if (!root_.empty()) std::filesystem::remove_all(root_);
  }

  AppServices Services(std::string transportFolder = {}) {
    return {preferences_,
            messages_,
            launcher_,
            clock_,
            processes_,
            std::move(transportFolder),
            (root_ / "work").string(),
            ""};
  }

  std::filesystem::path root_;
  MemoryPreferenceStore preferences_{true};
  RecordingMessageBoxes messages_;
  RecordingLauncher launcher_;
  FakeClock clock_;
  NoProcesses processes_;
};
