#pragma once

#include <string>
#include <vector>

#include "platform/launcher.h"

// Records every launch and answers with a preset result.
class RecordingLauncher : public Launcher {
 public:
  struct Launch_ {
    std::string program;
    std::string argument;
    std::string directory;
    bool operator==(const Launch_&) const = default;
  };

  bool Launch(const std::string& program, const std::string& argument,
              const std::string& directory) override {
    launches.push_back({program, argument, directory});
    return result;
  }

  std::vector<Launch_> launches;
  bool result = true;
};
