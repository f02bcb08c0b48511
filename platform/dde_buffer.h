#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <vector>

// Storage for the transport's per-connection byte buffers. A block of 64 KiB or more is mapped from
// the system on its own and unmapped when freed, so that what a peer made the transport hold goes
// back to the system as soon as the buffer is released. (The C library would keep such blocks for
// reuse once a few large ones have come and gone, and the process would stay at its peak.)
namespace dde {

inline constexpr size_t kMappedBlockBytes = 64 * 1024;

template <class T>
struct MappedAllocator {
  using value_type = T;

  MappedAllocator() = default;
  template <class U>
  MappedAllocator(const MappedAllocator<U>&) noexcept {}

  T* allocate(size_t n) {
    const size_t bytes = n * sizeof(T);
    void* p = bytes < kMappedBlockBytes
                  ? std::malloc(bytes)
                  : mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == nullptr || p == MAP_FAILED) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, size_t n) noexcept {
    const size_t bytes = n * sizeof(T);
    if (bytes < kMappedBlockBytes) {
      std::free(p);
    } else {
      munmap(p, bytes);
    }
  }
  template <class U>
  bool operator==(const MappedAllocator<U>&) const noexcept {
    return true;
  }
};

using Buffer = std::vector<uint8_t, MappedAllocator<uint8_t>>;

// Empties the buffer; one that had grown large gives its memory back.
inline void GiveBack(Buffer& buffer) {
  if (buffer.capacity() >= kMappedBlockBytes) {
    Buffer().swap(buffer);
  } else {
    buffer.clear();
  }
}

}  // namespace dde
