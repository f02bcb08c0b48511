#include "store/data_paths.h"

#include <filesystem>
#include <system_error>

namespace {

std::string JoinPath(const std::string& directory, const char* name) {
  if (!directory.empty() && directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

}  // namespace

DataPaths FormDataPaths(const std::string& workingDirectory) {
  const std::string directory = workingDirectory.empty() ? "." : workingDirectory;
  DataPaths paths;
  paths.cachePath = JoinPath(directory, "cache.data");
  paths.topicsPath = JoinPath(directory, "topics.data");
  paths.branchPath = JoinPath(directory, "Topics/");
  return paths;
}

std::string ReadWorkingDirectory() {
  std::error_code error;
  std::filesystem::path directory = std::filesystem::current_path(error);
  if (error) return ".";
  return directory.string();
}
