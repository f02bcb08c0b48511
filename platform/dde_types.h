#pragma once

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
