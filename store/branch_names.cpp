#include "store/branch_names.h"

#include <filesystem>
#include <mutex>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string BranchFolder(const std::string& branchPath) {
  return branchPath.empty() || branchPath.back() == '/' ? branchPath : branchPath + '/';
}

// The first name prefix + number + ".data", counting up from number, that is neither a file nor
// a name handed out before in this process.
std::string FirstFreeName(const std::string& prefix, int64_t number) {
  static std::mutex mutex;
  static std::set<std::string> handedOut;
  std::lock_guard guard(mutex);
  for (;; ++number) {
    std::string name = prefix + std::to_string(number) + ".data";
    std::error_code ec;
    fs::file_status status = fs::symlink_status(name, ec);
    bool onDisk = !ec && status.type() != fs::file_type::not_found;
    if (!onDisk && handedOut.insert(name).second) return name;
  }
}

}  // namespace

std::string NewBranchFileName(const std::string& branchPath, Time32 now) {
  return FirstFreeName(BranchFolder(branchPath), now);
}

std::string NewBranchFileName(const std::string& branchPath, Time32 now, RandomSource& random) {
  uint32_t r1 = random.Next();
  uint32_t r2 = random.Next();
  int64_t product = int64_t{r1 % 100 + 1} * (r2 % 100 + 1);
  return FirstFreeName(BranchFolder(branchPath) + std::to_string(now), product);
}
