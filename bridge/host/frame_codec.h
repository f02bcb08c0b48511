#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Native-messaging frames: a 32-bit length in the machine's byte order, then that many bytes of
// UTF-8 JSON. Used on the host's stdin (frames from the browser) and stdout (frames to it).
namespace bridge {

// The browser refuses a frame from the host above 1 MiB.
inline constexpr size_t kMaxFrameToBrowser = 1024 * 1024;
// The host refuses a frame from the browser above this: nothing the extension sends comes near it
// (it leaves out overlong URLs), so a larger length means a broken stream.
inline constexpr size_t kMaxFrameFromBrowser = 16 * 1024 * 1024;

// The frame for one message, or nothing when the message is above kMaxFrameToBrowser.
std::optional<std::string> EncodeFrame(std::string_view message);

// Collects bytes as they are read and hands out whole frames; a read may hold part of a frame,
// one frame or several.
class FrameReader {
 public:
  explicit FrameReader(size_t limit = kMaxFrameFromBrowser) : maxFrame(limit) {}

  void Feed(const char* data, size_t size);
  void Feed(std::string_view data) { Feed(data.data(), data.size()); }

  // The next whole message, or nothing until more bytes arrive. Nothing once Failed().
  std::optional<std::string> Next();

  // A length above the limit was announced; the stream cannot be trusted any further.
  bool Failed() const { return failed; }
  // The length that made the reader fail (for the log).
  uint64_t RejectedLength() const { return rejectedLength; }
  // Bytes of an unfinished frame are waiting (at end of input: the stream ended mid-frame).
  bool HasPartialFrame() const { return buffer.size() > consumed; }

 private:
  size_t maxFrame;
  std::string buffer;
  size_t consumed = 0;  // bytes of buffer already handed out
  bool failed = false;
  uint64_t rejectedLength = 0;
};

}  // namespace bridge
