#include "bridge/host/frame_codec.h"

#include <cstring>

namespace bridge {

std::optional<std::string> EncodeFrame(std::string_view message) {
  if (message.size() > kMaxFrameToBrowser) return std::nullopt;
  const auto length = static_cast<uint32_t>(message.size());
  std::string frame(sizeof length, '\0');
  std::memcpy(frame.data(), &length, sizeof length);  // native byte order
  frame.append(message);
  return frame;
}

void FrameReader::Feed(const char* data, size_t size) {
  if (failed || size == 0) return;
  // Drop what was handed out before growing, so a long session keeps a small buffer.
  if (consumed > 0) {
    buffer.erase(0, consumed);
    consumed = 0;
  }
  buffer.append(data, size);
}

std::optional<std::string> FrameReader::Next() {
  if (failed) return std::nullopt;
  const size_t available = buffer.size() - consumed;
  uint32_t length = 0;
  if (available < sizeof length) return std::nullopt;
  std::memcpy(&length, buffer.data() + consumed, sizeof length);
  if (length > maxFrame) {
    failed = true;
    rejectedLength = length;
    buffer.clear();
    consumed = 0;
    return std::nullopt;
  }
  if (available - sizeof length < length) return std::nullopt;
  std::string message = buffer.substr(consumed + sizeof length, length);
  consumed += sizeof length + length;
  if (consumed == buffer.size()) {
    buffer.clear();
    consumed = 0;
  }
  return message;
}

}  // namespace bridge
