#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dde_instance.h"

class CDDEObject;

// The link's record of one open conversation, on either side (the browser's conversations to an
// endpoint and the short client conversations an endpoint opens to the browser): its handle and
// the endpoint that holds it.
struct CDDEConversation {
  dde::ConvHandle handle = 0;
  CDDEObject* holder = nullptr;
};

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

// The process-wide state of the browser link: the transport instance, the endpoints, the registry
// of open conversations, the endpoint creation counter, and the one transport callback of the
// process. Lives from start-up to exit; endpoints register themselves with it. A conversation is in
// the registry from the moment it opens until either side ends it, and nowhere else.
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
  // The open conversation with this handle (client or server side), or none. The record lasts only
  // until the conversation ends: look it up again after anything that may dispatch transactions.
  const CDDEConversation* FindConversation(dde::ConvHandle conv) const;
  // The handles of the open conversations the endpoint holds.
  std::vector<dde::ConvHandle> ConversationsOf(const CDDEObject& endpoint) const;

  // How long a call to the browser waits for the browser to take the conversation, and then for
  // its reply. The main thread serves the transport meanwhile but not the tray, so a browser that
  // hangs freezes the tray for as long. 6 s each: a browser bridge answers "WWW_OpenURL" and
  // "WWW_Activate" only once the browser behind it has (it gives it 5 s, and serves nothing in the
  // meantime), and an answer that came after Hopwise gave up would be lost, or make OpenUrl start the
  // browser program as though no browser ran. A test may shorten them.
  int connectTimeoutMs = dde::kDefaultConnectTimeoutMs;
  int transactionTimeoutMs = dde::kDefaultTimeoutMs;
  // How the registration retries wait between attempts (a test counts instead of sleeping).
  std::function<void(std::chrono::milliseconds)> sleep;

 private:
  friend class CDDEObject;

  // Enters a conversation that just opened; one already in the registry is left as it is.
  void Hold(dde::ConvHandle conv, CDDEObject& holder);
  // Removes the conversation's record, if it is still there.
  void Forget(dde::ConvHandle conv);

  dde::Result OnConnect(const dde::Transaction& t);
  void OnConnectConfirm(const dde::Transaction& t);
  std::optional<dde::Bytes> OnRequest(const dde::Transaction& t);
  uint32_t OnPoke(const dde::Transaction& t);
  void OnDisconnect(const dde::Transaction& t);

  dde::Instance& instance_;
  VerbServer* server_ = nullptr;
  uint32_t creationCounter_ = 0;  // incremented before use, never decremented
  std::vector<CDDEObject*> endpoints_;
  std::map<dde::ConvHandle, CDDEConversation> conversations_;
};
