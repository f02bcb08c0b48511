#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/dde_buffer.h"
#include "platform/dde_types.h"

// The frames that travel on one conversation's stream connection. Each frame is a 32-bit
// big-endian body length followed by the body; the body's first byte is the message type.
// docs/transport.md describes every message.
namespace dde::wire {

inline constexpr uint8_t kProtocolVersion = 1;

enum class MessageType : uint8_t {
  Connect = 0x01,     // client -> server: version, service, topic
  Accept = 0x02,      // server -> client
  Refuse = 0x03,      // server -> client, then the server closes
  Request = 0x10,     // client -> server: transaction, item
  Poke = 0x11,        // client -> server: transaction, item
  Data = 0x20,        // server -> client: transaction, the reply bytes (the rest of the body)
  NoData = 0x21,      // server -> client: transaction
  PokeResult = 0x22,  // server -> client: transaction, 32-bit result
};

// One decoded frame; only the fields of its type are meaningful.
struct Message {
  MessageType type = MessageType::Accept;
  uint8_t version = kProtocolVersion;
  uint32_t transaction = 0;
  uint32_t value = 0;
  std::string service;
  std::string topic;
  std::string item;
  Bytes data;
};

// The whole frame (length prefix included), or nothing when the body would exceed kMaxFrameBytes.
std::optional<Bytes> EncodeFrame(const Message& message);

// Decodes one frame body; nothing when it is not exactly one well-formed message.
std::optional<Message> DecodeBody(const uint8_t* body, size_t size);

enum class ReadStatus { NeedMore, Ready, Malformed, Oversized };

// Collects the bytes of a stream as they arrive and hands out whole frames. An oversized length
// is reported as soon as the length prefix is in, before its body arrives. The buffer grows no
// further than the frame being collected needs, and is given back once it has been handed out.
class FrameReader {
 public:
  void Append(const uint8_t* bytes, size_t count);
  // Ready fills `message` and consumes the frame. Malformed and Oversized leave the reader stuck:
  // the connection is to be dropped.
  ReadStatus Next(Message& message);
  size_t Buffered() const { return buffer_.size() - start_; }
  // The memory the reader holds: what it has collected and the room it has made for more.
  size_t HeldBytes() const { return buffer_.capacity(); }

 private:
  void MakeRoom(size_t count);

  Buffer buffer_;
  size_t start_ = 0;
};

}  // namespace dde::wire
