#pragma once

#include <string>

namespace bridge {

// mkdir -p: makes every missing folder of an absolute path, with mode 0700. True when the folder
// exists afterwards (or the path is empty).
bool MakeFolders(const std::string& folder);

}  // namespace bridge
