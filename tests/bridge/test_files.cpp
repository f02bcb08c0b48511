#include "bridge/test_files.h"

#include <unistd.h>

#include <fstream>
#include <sstream>

namespace bridgetest {

std::string FindProgram(const std::vector<std::string>& candidates) {
  for (const auto& path : candidates) {
    if (::access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace bridgetest
