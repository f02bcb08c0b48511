#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/dde_instance.h"

class CDDEObject;
class CDDEConversation;

// Answers the requests and pokes that reach this process's endpoints. The verb is its index in the
// verb table; the item is the argument list as the peer sent it.
class VerbServer {
 public:
  virtual ~VerbServer() = default;
  // The reply block, or nothing for "no data" (also for a verb it does not serve).
  virtual std::optional<dde::Bytes> OnRequest(int verb, const std::string& item) = 0;
  // dde::kFack when the poke was taken, 0 when the verb is not served.
  virtual uint32_t OnPoke(int verb, const std::string& item) = 0;
};

// The process-wide state of the browser link: the transport instance, the endpoints, every open
// conversation, the endpoint creation counter, and the one transport callback of the process.
// Lives from start-up to exit; endpoints and conversations register themselves with it.
class DdeLink {
 public:
  explicit DdeLink(dde::Instance& instance);
  ~DdeLink();
  DdeLink(const DdeLink&) = delete;
  DdeLink& operator=(const DdeLink&) = delete;

  // Sets the transport up with this link's callback. False when the transport is unavailable.
  bool Initialize();
  dde::Instance& Instance() { return instance_; }

  // Who answers served requests and pokes; with none, nothing is served. Not owned.
  void SetServer(VerbServer* server) { server_ = server; }

  // The transport callback: connections, requests, pokes and disconnections by type.
  dde::Result OnTransaction(const dde::Transaction& t);

  // The endpoint registered under exactly this name, or none.
  CDDEObject* FindEndpoint(const std::string& name) const;
  // The open conversation with this handle (client or server side), or none.
  CDDEConversation* FindConversation(dde::ConvHandle conv) const;
  // The endpoint whose conversations list holds the conversation, or none.
  CDDEObject* HolderOf(dde::ConvHandle conv) const;

  // How long a client transaction waits for its reply (60 s unless a test shortens it).
  int transactionTimeoutMs = dde::kDefaultTimeoutMs;
  // How the registration retries wait between attempts (a test counts instead of sleeping).
  std::function<void(std::chrono::milliseconds)> sleep;

 private:
  friend class CDDEObject;
  friend class CDDEConversation;

  dde::Result OnConnect(const dde::Transaction& t);
  void OnConnectConfirm(const dde::Transaction& t);
  std::optional<dde::Bytes> OnRequest(const dde::Transaction& t);
  uint32_t OnPoke(const dde::Transaction& t);
  void OnDisconnect(const dde::Transaction& t);

  dde::Instance& instance_;
  VerbServer* server_ = nullptr;
  uint32_t creationCounter_ = 0;  // incremented before use, never decremented
  std::vector<CDDEObject*> endpoints_;
  std::vector<CDDEConversation*> conversations_;
};
