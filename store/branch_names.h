#pragma once

#include <cstdint>
#include <random>
#include <string>

#include "platform/clock.h"

// The pseudo-random generator behind imported folder names.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual uint32_t Next() = 0;
};

// A generator seeded once (an import seeds it from the clock when it starts).
class SeededRandom : public RandomSource {
 public:
  explicit SeededRandom(uint32_t seed) : engine_(seed) {}
  uint32_t Next() override { return static_cast<uint32_t>(engine_()); }

 private:
  std::minstd_rand engine_;
};

// A new branch file path in branchPath (its folder, a trailing '/' is added when missing):
// "<seconds>.data" for a folder made in the Topics window, "<seconds><(r1 % 100 + 1) * (r2 % 100 + 1)>.data"
// for a folder made by an import. The number (the seconds, or the product) is stepped up until the
// name is neither an existing file nor a name this process has already handed out, because folders
// made in one second, and imported folders whose files are written later, would otherwise collide.
std::string NewBranchFileName(const std::string& branchPath, Time32 now);
std::string NewBranchFileName(const std::string& branchPath, Time32 now, RandomSource& random);

// Where a folder's branch file lies once symbolic links are followed. A branch file is read,
// written, moved aside or removed only when it is Inside or Absent: a link in the Topics folder
// could otherwise lead Hopwise to any file of the user's.
enum class BranchPlace {
  Inside,    // a regular file directly in the Topics folder (the target or where its links lead)
  Absent,    // nothing of that name yet: the file is made in the Topics folder when it is written
  Outside,   // a link that leads out of the Topics folder, or nowhere
  NotAFile,  // a folder, a pipe, a device or a socket
};

struct BranchFile {
  BranchPlace place = BranchPlace::Absent;
  // The file's full path with every link followed (for Absent the path it will have): two folders
  // naming one file have the same key.
  std::string key;
};

// Locates target, a path whose text already names a file directly in topicsFolder.
BranchFile LocateBranchFile(const std::string& topicsFolder, const std::string& target);
