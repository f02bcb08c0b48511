#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/dde_instance.h"

// The link's record of one open conversation, on either side (the browser's conversations to an
// endpoint and the short client conversations an endpoint opens to the browser): its handle and
// the name of the endpoint that holds it.
struct CDDEConversation {
  dde::ConvHandle handle = 0;
  std::string holder;
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

// How long a call to the browser waits for the browser to take the conversation, and then for
// its reply. The main thread serves the transport meanwhile but not the tray, so a browser that
// hangs freezes the tray for as long. 6 s each: a browser bridge answers "WWW_OpenURL" and
// "WWW_Activate" only once the browser behind it has (it gives it 5 s, and serves nothing in the
// meantime), and an answer that came after Hopwise gave up would be lost, or make OpenUrl start
// the browser program as though no browser ran.
struct DdeTimeouts {
  int connectMs = dde::kDefaultConnectTimeoutMs;
  int transactionMs = dde::kDefaultTimeoutMs;
};

// The process-wide state of the browser link: the transport instance, the endpoints by name, the
// registry of open conversations, the endpoint creation counter, and the one transport callback of
// the process. Lives from start-up to exit; endpoints are added to it and removed by name. A
// conversation is in the registry from the moment it opens until either side ends it, and nowhere
// else. Every conversation goes through the link, so the registry stays its own.
class DdeLink {
 public:
  explicit DdeLink(dde::Instance& instance, DdeTimeouts timeouts = {});
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

  // Enters a new endpoint under the next name ("HOPWISE" and the creation count) and registers
  // the name with the transport; returns the name.
  std::string AddEndpoint();
  // Withdraws the endpoint: out of the endpoints first, so that no conversation the browser opens
  // meanwhile is entered under it, then its conversations end and the transport lets the name go.
  void RemoveEndpoint(const std::string& name);
  // Whether an endpoint is entered under exactly this name.
  bool HasEndpoint(const std::string& name) const;
  // False when the transport refused the endpoint's name (taken, or the transport is unavailable).
  bool IsRegistered(const std::string& name) const;

  // The open conversation with this handle (client or server side), or none. The record lasts only
  // until the conversation ends: look it up again after anything that may dispatch transactions.
  const CDDEConversation* FindConversation(dde::ConvHandle conv) const;
  // The handles of the open conversations the named endpoint holds.
  std::vector<dde::ConvHandle> ConversationsOf(const std::string& endpoint) const;

  // Conversation primitives for an endpoint. Connect opens a conversation to the browser on the
  // verb's topic, held by the endpoint, and returns its handle, 0 when the browser does not answer.
  // timeoutMs: how long the browser has to take the conversation (0: the connect time-out). Request
  // and Poke do one transaction on a conversation still open; no item, or a conversation already
  // ended, sends nothing.
  dde::ConvHandle Connect(const std::string& holder, int verb, int timeoutMs = 0);
  std::optional<dde::Bytes> Request(dde::ConvHandle conv, const std::optional<std::string>& item);
  uint32_t Poke(dde::ConvHandle conv, const std::optional<std::string>& item);
  // Ends the conversation and removes its record; a conversation the peer already ended is left be.
  void Disconnect(dde::ConvHandle conv);

 private:
  // Enters a conversation that just opened; one already in the registry is left as it is.
  void Hold(dde::ConvHandle conv, const std::string& holder);
  // Removes the conversation's record, if it is still there.
  void Forget(dde::ConvHandle conv);

  dde::Result OnConnect(const dde::Transaction& t);
  void OnConnectConfirm(const dde::Transaction& t);
  std::optional<dde::Bytes> OnRequest(const dde::Transaction& t);
  uint32_t OnPoke(const dde::Transaction& t);
  void OnDisconnect(const dde::Transaction& t);

  dde::Instance& instance_;
  const DdeTimeouts timeouts_;
  VerbServer* server_ = nullptr;
  uint32_t creationCounter_ = 0;           // incremented before use, never decremented
  std::map<std::string, bool> endpoints_;  // name -> the transport took the name
  std::map<dde::ConvHandle, CDDEConversation> conversations_;
};
