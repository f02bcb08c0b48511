#include "browser/dde_object.h"

#include "browser/verb_table.h"

CDDEObject::CDDEObject(DdeLink& link, const CPrefs& prefs, Launcher& launcher)
    : link_(link), prefs_(prefs), launcher_(launcher) {
  name_ = std::string(kEndpointNameStem) + std::to_string(++link_.creationCounter_);
  link_.endpoints_.push_back(this);
  registered_ = link_.instance_.RegisterService(name_);
}

CDDEObject::~CDDEObject() {
  // Out of the endpoints first, so that no conversation the browser opens meanwhile is entered under it.
  std::erase(link_.endpoints_, this);
  for (dde::ConvHandle conv : link_.ConversationsOf(*this)) Disconnect(conv);
  if (registered_) link_.instance_.UnregisterService(name_);
}

dde::ConvHandle CDDEObject::Connect(int verb, int timeoutMs) {
  dde::ConvHandle conv = link_.instance_.Connect(std::string(kBrowserService), std::string(VerbName(verb)),
                                                 timeoutMs > 0 ? timeoutMs : link_.connectTimeoutMs);
  if (conv == 0) return 0;
  link_.Hold(conv, *this);
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
  if (!link_.FindConversation(conv)) return;  // the peer ended it first; its record is gone already
  link_.instance_.Disconnect(conv);
  link_.Forget(conv);
}
