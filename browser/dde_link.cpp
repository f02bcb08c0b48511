#include "browser/dde_link.h"

#include <algorithm>
#include <thread>

#include "browser/dde_object.h"
#include "browser/verb_table.h"

DdeLink::DdeLink(dde::Instance& instance)
    : sleep([](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); }),
      instance_(instance) {}

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
  result.value = FindEndpoint(t.service) ? 1 : 0;
  return result;
}

void DdeLink::OnConnectConfirm(const dde::Transaction& t) {
  CDDEObject* endpoint = FindEndpoint(t.service);
  if (endpoint && t.conv != 0) Hold(t.conv, *endpoint);
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

CDDEObject* DdeLink::FindEndpoint(const std::string& name) const {
  auto it =
      std::find_if(endpoints_.begin(), endpoints_.end(), [&](CDDEObject* e) { return e->name() == name; });
  return it == endpoints_.end() ? nullptr : *it;
}

const CDDEConversation* DdeLink::FindConversation(dde::ConvHandle conv) const {
  auto it = conversations_.find(conv);
  return it == conversations_.end() ? nullptr : &it->second;
}

std::vector<dde::ConvHandle> DdeLink::ConversationsOf(const CDDEObject& endpoint) const {
  std::vector<dde::ConvHandle> held;
  for (const auto& [conv, record] : conversations_) {
    if (record.holder == &endpoint) held.push_back(conv);
  }
  return held;
}

void DdeLink::Hold(dde::ConvHandle conv, CDDEObject& holder) {
  conversations_.try_emplace(conv, CDDEConversation{conv, &holder});
}

void DdeLink::Forget(dde::ConvHandle conv) {
  conversations_.erase(conv);
}
