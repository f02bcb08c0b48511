#include "browser/client_conversation.h"

ClientConversation::ClientConversation(DdeLink& link, const std::string& holder, int verb,
                                       int connectTimeoutMs)
    : link_(link), conv_(link.Connect(holder, verb, connectTimeoutMs)) {}

ClientConversation::~ClientConversation() {
  if (conv_ != 0) link_.Disconnect(conv_);
}

std::optional<dde::Bytes> ClientConversation::Request(const std::optional<std::string>& item) {
  return link_.Request(conv_, item);
}

uint32_t ClientConversation::Poke(const std::optional<std::string>& item) {
  return link_.Poke(conv_, item);
}
