#pragma once

#include <string>

// Where the data files live: formed once from the working directory by the application, which
// owns them; everyone else reads them. Never stored.
struct DataPaths {
  std::string cachePath;   // cache.data
  std::string topicsPath;  // topics.data
  std::string branchPath;  // the Topics folder, with its trailing separator
};

// The data paths in a working directory (any length): directory + "/cache.data", "/topics.data"
// and the Topics folder "/Topics/". An empty directory means ".".
DataPaths FormDataPaths(const std::string& workingDirectory);
// The process's current working directory, however long; "." when it cannot be read.
std::string ReadWorkingDirectory();
