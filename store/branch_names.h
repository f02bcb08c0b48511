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
