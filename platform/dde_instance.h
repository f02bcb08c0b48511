#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/dde_types.h"

// A local transport with the semantics of the Windows DDE management library, over Unix domain
// sockets. One instance per program; it owns the service names it registers and the
// conversations it takes part in. Everything runs on the thread that initialised it: the callback
// is called from Dispatch() and, nested, while one of this instance's own client transactions waits
// for its reply (or its Connect for an answer); nested callbacks may start transactions of their
// own. docs/transport.md gives the wire format.
//
// Disconnect reaches the callback once per conversation the peer ended (hung up, died, or sent a
// bad frame), never for one this side ended with Disconnect(), and never while a transaction of
// this instance waits on that conversation or while the callback handles one of its frames: then
// it comes at the first dispatch after, unless this side calls Disconnect() first.
namespace dde {

// How long Connect waits for the server's answer, and a transaction for its reply, unless the
// caller says otherwise. The thread that waits serves the transport meanwhile but nothing else, so
// these are short; they are above the 5 s a browser bridge gives the browser behind it, so that a
// server that must first ask someone else still answers in time.
inline constexpr int kDefaultConnectTimeoutMs = 6000;
inline constexpr int kDefaultTimeoutMs = 6000;

struct Engine;

class Instance {
 public:
  // runtimeDir: the folder holding one socket per registered name. Empty means the default:
  // $XDG_RUNTIME_DIR/hopwise-dde, else a folder of the user's own under /tmp.
  explicit Instance(std::string runtimeDir = {});
  // Closes every conversation and removes the socket files of its names without calling back.
  // Never destroy an instance from inside its own callback.
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // Makes the socket folder (mode 0700, owned by this user) and takes the callback.
  // False when the transport cannot be set up, among others when the folder is a symbolic link,
  // belongs to another user or grants any group or other permission. Called again, it only
  // replaces the callback.
  bool Initialize(Callback callback);

  // Service names match without regard to case (ASCII letters). False when the name is taken (a
  // live server answers on it), is empty, is too long for a socket path, or something other than a
  // socket sits where its socket file goes. A stale socket file is replaced. Registering a name this
  // instance already holds succeeds and keeps the first spelling.
  bool RegisterService(const std::string& name);
  // Removes the socket file; conversations already open on the name go on.
  void UnregisterService(const std::string& name);

  // Opens a conversation on (service, topic); 0 when nobody serves the name, the server refused,
  // or no answer came within timeoutMs (0 or less: no attempt). The server's callback may see
  // Connect and ConnectConfirm nested in this call when the server is this instance.
  ConvHandle Connect(const std::string& service, const std::string& topic,
                     int timeoutMs = kDefaultConnectTimeoutMs);
  // One client transaction on an open conversation. No reply (time-out, refused, peer gone) gives
  // nothing / 0. Incoming transactions for this instance are dispatched while waiting. Only on
  // conversations this instance opened with Connect; nothing is sent when timeoutMs <= 0 or the
  // item does not fit a frame. A peer that ends the conversation gives "no reply" at once.
  std::optional<Bytes> Request(ConvHandle conv, const std::string& item, int timeoutMs = kDefaultTimeoutMs);
  uint32_t Poke(ConvHandle conv, const std::string& item, int timeoutMs = kDefaultTimeoutMs);
  // Ends a conversation from either side; the peer's callback sees Disconnect. Unknown handles are ignored.
  void Disconnect(ConvHandle conv);
  // True while the conversation is open (the peer may have ended it).
  bool IsConnected(ConvHandle conv) const;

  // Cutting waits short. While `fd` is readable, or for good once Interrupt() was called, every
  // wait (Connect, Request, Poke, and the ones nested in callbacks) gives up at once as if it had
  // timed out, and a new one sends nothing. `fd` is only polled, never read: it stays the owner's
  // to consume (a signal's self-pipe, say); -1 watches none. Interrupt() may be called from any
  // thread and from a signal handler. Dispatch() is not affected.
  void SetInterruptFd(int fd);
  void Interrupt();
  bool Interrupted() const;

  // For an event loop: a descriptor that becomes readable when Dispatch() has work.
  int EventFd() const;
  // Handles everything pending without blocking: accepts, frames, disconnects. (A peer that never
  // stops sending is served a bounded share per call; EventFd() stays readable for the rest.)
  void Dispatch();

  // What the instance holds for its peers now (for monitoring and tests): connections with a
  // descriptor (either side), the memory held for frames arriving, the memory queued for peers.
  struct Load {
    size_t connections = 0;
    size_t heldInput = 0;
    size_t queuedOutput = 0;
  };
  Load CurrentLoad() const;

  const std::string& RuntimeDir() const;
  // Whether some program listens under the service name now (it is not asked anything: the
  // connection is made at the socket level only and closed at once).
  bool ServiceAnswers(const std::string& service) const;

 private:
  std::unique_ptr<Engine> engine_;
};

}  // namespace dde
