#pragma once

// The inside of dde::Instance, shared by its source files; not for other callers.

#include <sys/types.h>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <string>

#include "platform/dde_types.h"
#include "platform/dde_wire.h"

namespace dde {

enum class Role { Client, Server };

// Handshake: connected, Connect not yet answered. Open: a conversation. Draining: ended here,
// sending what is left before closing. Closed: the descriptor is gone.
enum class ConnState { Handshake, Open, Draining, Closed };

// One client transaction waiting for its reply.
struct PendingReply {
  bool isPoke = false;
  bool done = false;
  std::optional<Bytes> data;
  uint32_t value = 0;
};

// One stream connection: a conversation, or one on its way to becoming one.
struct Connection {
  uint64_t token = 0;  // its key in the epoll set; never reused
  int fd = -1;
  Role role = Role::Client;
  ConnState state = ConnState::Handshake;
  ConvHandle conv = 0;
  std::string service;  // server side: the registered spelling; client side: as asked for
  std::string topic;
  std::string nameKey;  // server side: the socket file name it came in by
  wire::FrameReader reader;
  Buffer out;
  size_t outSent = 0;
  uint32_t interest = 0;
  bool readPaused = false;  // its peer leaves too many replies unread: not read until it takes them
  uint64_t lastFrame = 0;   // when its last frame came (or it was accepted), in Engine::activity
  size_t heldIn = 0;        // what the budgets count for it now
  size_t heldOut = 0;
  bool busy = false;  // server side: the callback is handling one of its frames
  int waiters = 0;    // client side: transactions (or the handshake) waiting on it
  uint32_t nextTransaction = 1;
  std::map<uint32_t, PendingReply> pending;

  bool HasOutput() const { return outSent < out.size(); }
  size_t Queued() const { return out.size() - outSent; }
  // While held, a Disconnect the peer caused is not yet told to the callback.
  bool Held() const { return busy || waiters > 0; }
};
using ConnPtr = std::shared_ptr<Connection>;

struct Listener {
  uint64_t token = 0;
  int fd = -1;
  std::string spelling;  // the name as first registered
  std::string path;
  dev_t dev = 0;
  ino_t ino = 0;
  bool paused = false;  // not watched: no descriptor was left to accept with
};

using SteadyClock = std::chrono::steady_clock;

// Everything an Instance holds and does; Instance only passes its calls on.
struct Engine {
  std::string dir;
  Callback callback;
  int epollFd = -1;
  int wakeFd = -1;  // an eventfd, readable while a Disconnect is due to the callback
  bool wakeSignalled = false;
  int interruptFd = -1;    // the program's: waits give up while it is readable; never read here
  int stopFd = -1;         // an eventfd, readable for good once Interrupt() was called
  uint64_t nextToken = 1;  // 0 is the wake descriptor's
  ConvHandle nextConv = 1;
  std::map<std::string, Listener> listeners;  // by socket file name
  std::map<uint64_t, std::string> listenerByToken;
  std::map<uint64_t, ConnPtr> connections;      // every connection with a descriptor
  std::map<ConvHandle, ConnPtr> conversations;  // open, or ended by the peer and not yet told
  std::deque<ConvHandle> endedByPeer;           // Disconnects due to the callback, in order
  Bytes readBuffer;
  uint64_t activity = 0;    // counts frames and accepts, to tell which connection was quiet longest
  size_t heldInput = 0;     // what every connection's reader holds
  size_t queuedOutput = 0;  // what every connection's output holds
  bool acceptPaused = false;

  ~Engine();
  bool Ready() const { return epollFd >= 0; }
  Result Call(const Transaction& t);

  // dde_engine.cpp: the event round, serving, endings.
  bool Watch(Connection& c);
  void SetInterest(Connection& c);
  int RunRound(int timeoutMs);
  void HandleEvent(uint64_t token, uint32_t events);
  void OnConnectionEvent(const ConnPtr& c, uint32_t events);
  void ReadFrom(const ConnPtr& c);
  void ProcessFrames(const ConnPtr& c);
  void OnServerMessage(const ConnPtr& c, wire::Message& m);
  void OnClientMessage(const ConnPtr& c, wire::Message& m);
  void ServeConnect(const ConnPtr& c, const wire::Message& m);
  void ServeTransaction(const ConnPtr& c, const wire::Message& m);
  void Refuse(const ConnPtr& c);
  Result CallWhileBusy(const ConnPtr& c, const Transaction& t);
  bool Send(const ConnPtr& c, const wire::Message& m);
  bool Flush(Connection& c);
  void EndByPeer(const ConnPtr& c);
  void EndLocally(const ConnPtr& c);
  void Release(Connection& c);
  void DeliverDisconnects();
  void UpdateWake();

  // dde_client.cpp: the client side.
  ConvHandle Connect(const std::string& service, const std::string& topic, int timeoutMs);
  std::optional<PendingReply> Transact(ConvHandle conv, wire::MessageType type, const std::string& item,
                                       int timeoutMs);
  template <class Done>
  void WaitFor(const ConnPtr& c, SteadyClock::time_point deadline, Done done);
  void WaitRound(int timeoutMs);
  bool Interrupted() const;

  // dde_limits.cpp: what peers may cost.
  void Account(Connection& c);
  void EnforceBudgets();
  bool DropLargest(size_t Connection::*held);
  bool EvictQuietest(const Connection* keep);
  size_t ServedCount() const;
  void PauseAccepting();
  void ResumeAccepting();

  // dde_services.cpp: registered names and their listeners.
  bool Register(const std::string& name);
  void Unregister(const std::string& name);
  void CloseListener(Listener& l);
  void Accept(const std::string& key);
};

}  // namespace dde
