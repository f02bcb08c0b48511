#pragma once

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>

#include "platform/message_boxes.h"

// What the benchmarks share: messages nobody reads, and a fresh temporary folder.
class NoMessages : public MessageBoxes {
 public:
  void Ok(const std::string&) override {}
  bool YesNo(const std::string&) override { return false; }
};

inline std::string TempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "hopwise-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("no temporary folder");
  return pattern;
}
