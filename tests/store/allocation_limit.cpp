#include "store/allocation_limit.h"

#include <cstdlib>
#include <new>

namespace {

thread_local std::size_t gLimit = 0;  // 0: no limit

}  // namespace

AllocationLimit::AllocationLimit(std::size_t bytes) : previous_(gLimit) {
  gLimit = bytes;
}

AllocationLimit::~AllocationLimit() {
  gLimit = previous_;
}

void* operator new(std::size_t size) {
  if (gLimit != 0 && size > gLimit) throw std::bad_alloc();
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}

void operator delete(void* p) noexcept {
  std::free(p);
}

void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

// The nothrow form too (std::stable_sort's buffer uses it): its memory goes back through the
// operator delete above, so both must come from the same place.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (gLimit != 0 && size > gLimit) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void operator delete(void* p, const std::nothrow_t&) noexcept {
  std::free(p);
}
