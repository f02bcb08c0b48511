#include "bridge/host/messages.h"

#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/utf8_text.h"

namespace bridge {
namespace {

using Json = nlohmann::json;

// Members by key; nothing when absent or of another type.
std::optional<std::string> GetString(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

std::optional<bool> GetBool(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_boolean()) return std::nullopt;
  return it->get<bool>();
}

// An integral number in [0, 2^32 - 1] (tab and window ids); nothing for fractions, negatives and
// larger numbers. 1e3 is a number like 1000.
std::optional<uint32_t> GetUint32(const Json& object, const char* key) {
  const auto it = object.find(key);
  if (it == object.end() || !it->is_number()) return std::nullopt;
  if (it->is_number_unsigned()) {
    const auto n = it->get<uint64_t>();
    return n <= UINT32_MAX ? std::optional<uint32_t>(static_cast<uint32_t>(n)) : std::nullopt;
  }
  const double d = it->get<double>();
  if (!(d >= 0 && d <= 4294967295.0) || d != std::trunc(d)) return std::nullopt;
  return static_cast<uint32_t>(d);
}

// Compact JSON. Every text put into a message went through Utf8OrLatin1 first; should one slip
// through that is not UTF-8, its bad bytes become U+FFFD rather than an exception.
std::string Compact(const Json& message) {
  return message.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::optional<TabReport> ReadTab(const Json& object) {
  const auto tabId = GetUint32(object, "tabId");
  const auto windowId = GetUint32(object, "windowId");
  if (!tabId || !windowId || *tabId == kAnyWindow) return std::nullopt;
  TabReport tab;
  tab.tabId = *tabId;
  tab.windowId = *windowId;
  tab.url = GetString(object, "url").value_or("");
  tab.title = GetString(object, "title").value_or("");
  tab.complete = GetString(object, "status") == "complete";
  tab.active = GetBool(object, "active").value_or(false);
  tab.echoed = GetBool(object, "echoed").value_or(false);
  return tab;
}

std::vector<ServerMark> ReadServers(const Json& object) {
  std::vector<ServerMark> servers;
  const auto list = object.find("servers");
  if (list == object.end() || !list->is_array()) return servers;
  for (const auto& entry : *list) {
    if (!entry.is_object()) continue;
    auto name = GetString(entry, "name");
    auto id = GetString(entry, "id");
    if (name && id && !name->empty()) servers.push_back(ServerMark{std::move(*name), std::move(*id)});
  }
  return servers;
}

std::optional<BrowserMessage> Fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return std::nullopt;
}

}  // namespace

std::optional<BrowserMessage> ParseBrowserMessage(std::string_view text, std::string* error) {
  // Without exceptions: text that is not JSON (nor UTF-8) comes back as a discarded value.
  const Json value = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
  if (value.is_discarded()) return Fail(error, "not JSON");
  if (!value.is_object()) return Fail(error, "not an object");
  const auto type = GetString(value, "type");
  if (!type) return Fail(error, "no type");

  if (*type == "snapshot") {
    const auto list = value.find("tabs");
    if (list == value.end() || !list->is_array()) return Fail(error, "snapshot without tabs");
    SnapshotMessage snapshot;
    for (const auto& entry : *list) {
      if (!entry.is_object()) continue;
      if (auto tab = ReadTab(entry)) snapshot.tabs.push_back(std::move(*tab));
    }
    snapshot.focusedWindow = GetUint32(value, "focusedWindowId");
    snapshot.servers = ReadServers(value);
    return snapshot;
  }
  if (*type == "tab") {
    auto tab = ReadTab(value);
    if (!tab) return Fail(error, "tab without ids");
    return TabMessage{std::move(*tab)};
  }
  if (*type == "removed") {
    const auto tabId = GetUint32(value, "tabId");
    if (!tabId) return Fail(error, "removed without tabId");
    return RemovedMessage{*tabId};
  }
  if (*type == "activated") {
    const auto tabId = GetUint32(value, "tabId");
    const auto windowId = GetUint32(value, "windowId");
    if (!tabId || !windowId) return Fail(error, "activated without ids");
    return ActivatedMessage{*tabId, *windowId};
  }
  if (*type == "focused") {
    // The browser reports focus leaving it as window -1, which is no window id.
    const auto windowId = GetUint32(value, "windowId");
    if (!windowId) return Fail(error, "focused without a window");
    return FocusedMessage{*windowId};
  }
  if (*type == "reply") {
    const auto id = GetUint32(value, "id");
    if (!id) return Fail(error, "reply without id");
    ReplyMessage reply;
    reply.id = *id;
    reply.ok = GetBool(value, "ok").value_or(false);
    reply.tabId = GetUint32(value, "tabId").value_or(0);
    reply.windowId = GetUint32(value, "windowId").value_or(0);
    reply.error = GetString(value, "error").value_or("");
    if (reply.ok && reply.tabId == 0) return Fail(error, "reply without tabId");
    return reply;
  }
  return Fail(error, "unknown type " + *type);
}

std::string OpenMessage(uint32_t id, const std::string& url, std::optional<uint32_t> tabId) {
  Json message{{"type", "open"}, {"id", id}, {"url", Utf8OrLatin1(url)}};
  if (tabId) message["tabId"] = *tabId;
  return Compact(message);
}

std::string ActivateMessage(uint32_t id, std::optional<uint32_t> tabId) {
  Json message{{"type", "activate"}, {"id", id}};
  if (tabId) message["tabId"] = *tabId;
  return Compact(message);
}

std::string EchoedMessage(uint32_t tabId, const std::string& url) {
  return Compact(Json{{"type", "echoed"}, {"tabId", tabId}, {"url", Utf8OrLatin1(url)}});
}

std::string ServersMessage(const std::vector<ServerMark>& servers) {
  Json list = Json::array();
  for (const auto& server : servers) list.push_back({{"name", Utf8OrLatin1(server.name)}, {"id", server.id}});
  return Compact(Json{{"type", "servers"}, {"servers", std::move(list)}});
}

std::string ResyncMessage() {
  return Compact(Json{{"type", "resync"}});
}

std::string JoinMessage(const std::string& serviceName) {
  return Compact(Json{{"type", "join"}, {"name", Utf8OrLatin1(serviceName)}});
}

std::optional<std::string> ParseJoinMessage(std::string_view text) {
  const Json value = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
  if (!value.is_object() || GetString(value, "type") != "join") return std::nullopt;
  auto name = GetString(value, "name");
  if (!name || name->size() <= kBridgeNamePrefix.size() || !name->starts_with(kBridgeNamePrefix) ||
      name->find_first_not_of("0123456789", kBridgeNamePrefix.size()) != std::string::npos)
    return std::nullopt;
  return name;
}

bool IsNoteForExtension(std::string_view text) {
  const Json value = Json::parse(text.begin(), text.end(), nullptr, /*allow_exceptions=*/false);
  if (!value.is_object()) return false;
  const auto type = GetString(value, "type");
  return type == "echoed" || type == "servers";
}

}  // namespace bridge
