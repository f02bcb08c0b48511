#pragma once

#include <cstddef>

// While one lives, every allocation through operator new of more than `bytes` on this thread
// throws std::bad_alloc, as when memory runs out in the middle of reading a large file. Linking
// allocation_limit.cpp into a test program replaces its global operator new.
class AllocationLimit {
 public:
  explicit AllocationLimit(std::size_t bytes);
  ~AllocationLimit();
  AllocationLimit(const AllocationLimit&) = delete;
  AllocationLimit& operator=(const AllocationLimit&) = delete;

 private:
  std::size_t previous_;
};
