#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A local transport with the semantics of the Windows DDE management library, over Unix domain
// sockets. One instance per program; it owns the service names it registers and the
// conversations it takes part in. Everything runs on the thread that initialised it: the callback
// is called from Dispatch() and, nested, while one of this instance's own client transactions waits
// for its reply. docs/transport.md gives the wire format.
namespace dde {

using Bytes = std::vector<uint8_t>;
using ConvHandle = uint64_t;  // 0 is never a conversation

inline constexpr uint32_t kFack = 0x8000;  // DDE_FACK: a poke was taken
inline constexpr int kDefaultTimeoutMs = 60000;

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
struct Result {
  uint32_t value = 0;
  std::optional<Bytes> data;
};

using Callback = std::function<Result(const Transaction&)>;

class Instance {
 public:
  // runtimeDir: the folder holding one socket per registered name. Empty means the default:
  // $XDG_RUNTIME_DIR/hopwise-dde, else a folder of the user's own under /tmp.
  explicit Instance(std::string runtimeDir = {});
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Makes the socket folder (mode 0700, owned by this user) and takes the callback.
  // False when the transport cannot be set up.
  bool Initialize(Callback callback);

  // Service names match without regard to case. False when the name is taken or cannot be bound.
  bool RegisterService(const std::string& name);
  void UnregisterService(const std::string& name);

  // Opens a conversation on (service, topic); 0 when nobody serves the name or the server refused.
  ConvHandle Connect(const std::string& service, const std::string& topic, int timeoutMs = 5000);
  // One client transaction on an open conversation. No reply (time-out, refused, peer gone) gives
  // nothing / 0. Incoming transactions for this instance are dispatched while waiting.
  std::optional<Bytes> Request(ConvHandle conv, const std::string& item, int timeoutMs = kDefaultTimeoutMs);
  uint32_t Poke(ConvHandle conv, const std::string& item, int timeoutMs = kDefaultTimeoutMs);
  // Ends a conversation from either side; the peer's callback sees Disconnect. Unknown handles are ignored.
  void Disconnect(ConvHandle conv);
  // True while the conversation is open (the peer may have ended it).
  bool IsConnected(ConvHandle conv) const;

  // For an event loop: a descriptor that becomes readable when Dispatch() has work.
  int EventFd() const;
  // Handles everything pending without blocking: accepts, frames, disconnects.
  void Dispatch();

  const std::string& RuntimeDir() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The largest frame either side accepts; a larger one drops its connection.
inline constexpr uint32_t kMaxFrameBytes = 16u * 1024 * 1024;

}  // namespace dde
