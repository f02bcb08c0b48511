#include "browser/dde_object.h"

#include <algorithm>

#include "browser/verb_table.h"

CDDEConversation::CDDEConversation(DdeLink& link, dde::ConvHandle conv) : link_(link), conv_(conv) {
  link_.conversations_.push_back(this);
}

CDDEConversation::~CDDEConversation() { std::erase(link_.conversations_, this); }

CDDEObject::CDDEObject(DdeLink& link, const CPrefs& prefs, Launcher& launcher)
    : link_(link), prefs_(prefs), launcher_(launcher) {
  name_ = std::string(kEndpointNameStem) + std::to_string(++link_.creationCounter_);
  link_.endpoints_.push_back(this);
  registered_ = link_.instance_.RegisterService(name_);
}

CDDEObject::~CDDEObject() {
  while (!conversations.empty()) Disconnect(conversations.front()->Handle());
  std::erase(link_.endpoints_, this);
  if (registered_) link_.instance_.UnregisterService(name_);
}

dde::ConvHandle CDDEObject::Connect(int verb) {
  dde::ConvHandle conv = link_.instance_.Connect(std::string(kBrowserService), std::string(VerbName(verb)));
  if (conv == 0) return 0;
  conversations.push_back(std::make_unique<CDDEConversation>(link_, conv));
  return conv;
}

std::optional<dde::Bytes> CDDEObject::Request(dde::ConvHandle conv, const std::optional<std::string>& item) {
  if (!item || !link_.FindConversation(conv)) return std::nullopt;
  return link_.instance_.Request(conv, *item, link_.transactionTimeoutMs);
}

uint32_t CDDEObject::Poke(dde::ConvHandle conv, const std::optional<std::string>& item) {
  if (!item || !link_.FindConversation(conv)) return 0;
  return link_.instance_.Poke(conv, *item, link_.transactionTimeoutMs);
}

void CDDEObject::Disconnect(dde::ConvHandle conv) {
  CDDEObject* holder = link_.HolderOf(conv);
  if (!holder) return;  // the peer ended it first; its record is gone already
  link_.instance_.Disconnect(conv);
  holder->Forget(conv);
}

bool CDDEObject::Forget(dde::ConvHandle conv) {
  auto it = std::find_if(conversations.begin(), conversations.end(),
                         [&](const auto& c) { return c->Handle() == conv; });
  if (it == conversations.end()) return false;
  conversations.erase(it);
  return true;
}
