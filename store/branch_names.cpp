#include "store/branch_names.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <system_error>
#include <unordered_map>

namespace fs = std::filesystem;

namespace {

std::string BranchFolder(const std::string& branchPath) {
  return branchPath.empty() || branchPath.back() == '/' ? branchPath : branchPath + '/';
}

bool OnDisk(const std::string& name) {
  std::error_code ec;
  fs::file_status status = fs::symlink_status(name, ec);
  return !ec && status.type() != fs::file_type::not_found;
}

// The numbers tried under one prefix: each points on to a larger one, so the first number not yet
// tried from any start is found in a few steps however many have been tried (an import of
// thousands of folders in one second asks for thousands of names from a few hundred starts).
class TriedNumbers {
 public:
  int64_t FirstUntried(int64_t number) {
    for (auto at = next_.find(number); at != next_.end(); at = next_.find(number)) {
      auto after = next_.find(at->second);
      if (after != next_.end()) at->second = after->second;  // path halving
      number = at->second;
    }
    return number;
  }
  void Tried(int64_t number) { next_[number] = number + 1; }

 private:
  std::unordered_map<int64_t, int64_t> next_;
};

// The first name prefix + number + ".data", counting up from number, that is neither a file nor
// a name handed out before in this process.
std::string FirstFreeName(const std::string& prefix, int64_t number) {
  static std::mutex mutex;
  static std::set<std::string> handedOut;
  static std::map<std::string, TriedNumbers> tried;
  std::lock_guard guard(mutex);
  TriedNumbers& numbers = tried[prefix];
  for (;;) {
    number = numbers.FirstUntried(number);
    numbers.Tried(number);
    std::string name = prefix + std::to_string(number) + ".data";
    if (!OnDisk(name) && handedOut.insert(name).second) return name;
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

BranchFile LocateBranchFile(const std::string& topicsFolder, const std::string& target) {
  std::error_code ec;
  fs::path folder = fs::weakly_canonical(fs::path(topicsFolder), ec).lexically_normal();
  if (!folder.has_filename()) folder = folder.parent_path();
  const fs::path named(target);
  const fs::file_status status = fs::symlink_status(named, ec);
  if (status.type() == fs::file_type::not_found)
    return {BranchPlace::Absent, (folder / named.filename()).string()};
  if (ec) return {BranchPlace::Outside, target};
  const fs::path resolved = fs::canonical(named, ec);
  if (ec || resolved.parent_path() != folder) return {BranchPlace::Outside, ec ? target : resolved.string()};
  if (!fs::is_regular_file(resolved, ec)) return {BranchPlace::NotAFile, resolved.string()};
  return {BranchPlace::Inside, resolved.string()};
}
