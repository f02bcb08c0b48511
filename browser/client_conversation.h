#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "browser/dde_link.h"

// A client conversation to the browser for the length of one operation, held by one endpoint. It
// keeps the handle only: if the browser ends the conversation meanwhile, the link's disconnect step
// has already dropped the record and the closing Disconnect finds nothing to do.
class ClientConversation {
 public:
  // connectTimeoutMs: how long the browser has to take it (0: the link's connect time-out).
  ClientConversation(DdeLink& link, const std::string& holder, int verb, int connectTimeoutMs = 0);
  ~ClientConversation();
  ClientConversation(const ClientConversation&) = delete;
  ClientConversation& operator=(const ClientConversation&) = delete;

  // False when the browser did not answer.
  explicit operator bool() const { return conv_ != 0; }
  std::optional<dde::Bytes> Request(const std::optional<std::string>& item);
  uint32_t Poke(const std::optional<std::string>& item);

 private:
  DdeLink& link_;
  dde::ConvHandle conv_;
};
