// Any bytes as cache.data or a topic file: the readers fail cleanly or give records.
#include <sstream>

#include "store/archive.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string bytes(reinterpret_cast<const char*>(data), size);
  try {
    std::istringstream pages(bytes);
    ReadPezArray(pages);
  } catch (const ArchiveError&) {
  }
  try {
    std::istringstream topics(bytes);
    ReadTopicArray(topics, 0);
  } catch (const ArchiveError&) {
  }
  return 0;
}
