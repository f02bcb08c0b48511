#include "browser/dde_link.h"

#include <algorithm>

#include "browser/verb_table.h"

DdeLink::DdeLink(dde::Instance& instance, DdeTimeouts timeouts) : instance_(instance), timeouts_(timeouts) {}

DdeLink::~DdeLink() = default;

bool DdeLink::Initialize() {
  return instance_.Initialize([this](const dde::Transaction& t) { return OnTransaction(t); });
}

dde::Result DdeLink::OnTransaction(const dde::Transaction& t) {
  dde::Result result;
  switch (t.type) {
    case dde::TransactionType::Connect:
      return OnConnect(t);
    case dde::TransactionType::ConnectConfirm:
      OnConnectConfirm(t);
      break;
    case dde::TransactionType::Request:
      result.data = OnRequest(t);
      break;
    case dde::TransactionType::Poke:
      result.value = OnPoke(t);
      break;
    case dde::TransactionType::Disconnect:
      OnDisconnect(t);
      break;
  }
  return result;
}

// Any topic is accepted on a name this process serves; every other name is refused.
dde::Result DdeLink::OnConnect(const dde::Transaction& t) {
  dde::Result result;
  result.value = HasEndpoint(t.service) ? 1 : 0;
  return result;
}

void DdeLink::OnConnectConfirm(const dde::Transaction& t) {
  auto endpoint = endpoints_.find(t.service);
  if (endpoint != endpoints_.end() && t.conv != 0) Hold(t.conv, endpoint->first);
}

std::optional<dde::Bytes> DdeLink::OnRequest(const dde::Transaction& t) {
  if (!FindConversation(t.conv) || !server_) return std::nullopt;
  int verb = VerbIndex(t.topic);
  if (verb < 0) return std::nullopt;
  return server_->OnRequest(verb, t.item);
}

uint32_t DdeLink::OnPoke(const dde::Transaction& t) {
  if (!FindConversation(t.conv) || !server_) return 0;
  int verb = VerbIndex(t.topic);
  if (verb < 0) return 0;
  return server_->OnPoke(verb, t.item);
}

void DdeLink::OnDisconnect(const dde::Transaction& t) {
  Forget(t.conv);
}

std::string DdeLink::AddEndpoint() {
  std::string name = std::string(kEndpointNameStem) + std::to_string(++creationCounter_);
  endpoints_[name] = false;
  endpoints_[name] = instance_.RegisterService(name);
  return name;
}

void DdeLink::RemoveEndpoint(const std::string& name) {
  auto it = endpoints_.find(name);
  if (it == endpoints_.end()) return;
  const bool registered = it->second;
  endpoints_.erase(it);
  for (dde::ConvHandle conv : ConversationsOf(name)) Disconnect(conv);
  if (registered) instance_.UnregisterService(name);
}

bool DdeLink::HasEndpoint(const std::string& name) const {
  return endpoints_.contains(name);
}

bool DdeLink::IsRegistered(const std::string& name) const {
  auto it = endpoints_.find(name);
  return it != endpoints_.end() && it->second;
}

const CDDEConversation* DdeLink::FindConversation(dde::ConvHandle conv) const {
  auto it = conversations_.find(conv);
  return it == conversations_.end() ? nullptr : &it->second;
}

std::vector<dde::ConvHandle> DdeLink::ConversationsOf(const std::string& endpoint) const {
  std::vector<dde::ConvHandle> held;
  for (const auto& [conv, record] : conversations_) {
    if (record.holder == endpoint) held.push_back(conv);
  }
  return held;
}

dde::ConvHandle DdeLink::Connect(const std::string& holder, int verb, int timeoutMs) {
  dde::ConvHandle conv = instance_.Connect(std::string(kBrowserService), std::string(VerbName(verb)),
                                           timeoutMs > 0 ? timeoutMs : timeouts_.connectMs);
  if (conv == 0) return 0;
  Hold(conv, holder);
  return conv;
}

std::optional<dde::Bytes> DdeLink::Request(dde::ConvHandle conv, const std::optional<std::string>& item) {
  if (!item || !FindConversation(conv)) return std::nullopt;
  return instance_.Request(conv, *item, timeouts_.transactionMs);
}

uint32_t DdeLink::Poke(dde::ConvHandle conv, const std::optional<std::string>& item) {
  if (!item || !FindConversation(conv)) return 0;
  return instance_.Poke(conv, *item, timeouts_.transactionMs);
}

void DdeLink::Disconnect(dde::ConvHandle conv) {
  if (!FindConversation(conv)) return;  // the peer ended it first; its record is gone already
  instance_.Disconnect(conv);
  Forget(conv);
}

void DdeLink::Hold(dde::ConvHandle conv, const std::string& holder) {
  conversations_.try_emplace(conv, CDDEConversation{conv, holder});
}

void DdeLink::Forget(dde::ConvHandle conv) {
  conversations_.erase(conv);
}
