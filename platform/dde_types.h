#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// The vocabulary of the transport, shared by its interface (dde_instance.h), its wire format
// (dde_wire.h) and its inside (dde_engine.h). docs/transport.md gives the wire format.
namespace dde {

using Bytes = std::vector<uint8_t>;
using ConvHandle = uint64_t;  // 0 is never a conversation

inline constexpr uint32_t kFack = 0x8000;  // DDE_FACK: a poke was taken

// The largest frame either side accepts; a larger one drops its connection.
inline constexpr uint32_t kMaxFrameBytes = 16u * 1024 * 1024;

// What one program's transport holds for its peers at most (docs/transport.md tells what a peer
// that passes a limit sees).
// Connections accepted and open at once; one more closes the one that has been quiet longest.
inline constexpr size_t kMaxServedConnections = 256;
// A connection with more than this queued for its peer is not read from until the peer has taken
// all of it.
inline constexpr size_t kReadPauseBytes = size_t{1} << 20;
// Queued for the peers of all connections together; past it, the connection holding the most goes.
inline constexpr size_t kMaxQueuedBytes = size_t{8} << 20;
// Held of frames still arriving, or read and waiting their turn, on all connections together; past
// it, the connection holding the most goes. One frame of the largest size fits.
inline constexpr size_t kMaxHeldInputBytes = size_t{32} << 20;

enum class TransactionType { Connect, ConnectConfirm, Request, Poke, Disconnect };

// What the callback is told. service is the name as this instance registered it (its first
// spelling); topic and item are as the peer sent them.
struct Transaction {
  TransactionType type;
  ConvHandle conv = 0;  // not set for Connect (the conversation does not exist yet)
  std::string service;
  std::string topic;
  std::string item;
};

// What the callback answers:
//  Connect: value 1 accepts, 0 refuses.   Request: data, or none for "no data".
//  Poke: value kFack when taken, 0 when not.   ConnectConfirm, Disconnect: ignored.
// (Connect: any value other than 0 accepts. Reply data larger than a frame holds goes as "no data".
// A callback that throws answers as Result{}.)
struct Result {
  uint32_t value = 0;
  std::optional<Bytes> data;
};

using Callback = std::function<Result(const Transaction&)>;

}  // namespace dde
