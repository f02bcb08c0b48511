#include "bridge/host/messages.h"

#include "bridge/host/json.h"

namespace bridge {
namespace {

std::optional<TabReport> ReadTab(const json::Object& object) {
  const auto tabId = json::GetUint32(object, "tabId");
  const auto windowId = json::GetUint32(object, "windowId");
  if (!tabId || !windowId || *tabId == kAnyWindow) return std::nullopt;
  TabReport tab;
  tab.tabId = *tabId;
  tab.windowId = *windowId;
  tab.url = json::GetString(object, "url").value_or("");
  tab.title = json::GetString(object, "title").value_or("");
  tab.complete = json::GetString(object, "status") == "complete";
  tab.active = json::GetBool(object, "active").value_or(false);
  tab.echoed = json::GetBool(object, "echoed").value_or(false);
  return tab;
}

std::optional<BrowserMessage> Fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return std::nullopt;
}

}  // namespace

std::optional<BrowserMessage> ParseBrowserMessage(std::string_view text, std::string* error) {
  const auto value = json::Parse(text);
  if (!value) return Fail(error, "not JSON");
  const json::Object* object = value->AsObject();
  if (!object) return Fail(error, "not an object");
  const auto type = json::GetString(*object, "type");
  if (!type) return Fail(error, "no type");

  if (*type == "snapshot") {
    const json::Value* list = json::Find(*object, "tabs");
    if (!list || !list->AsArray()) return Fail(error, "snapshot without tabs");
    SnapshotMessage snapshot;
    for (const auto& entry : *list->AsArray()) {
      if (!entry.AsObject()) continue;
      if (auto tab = ReadTab(*entry.AsObject())) snapshot.tabs.push_back(std::move(*tab));
    }
    snapshot.focusedWindow = json::GetUint32(*object, "focusedWindowId");
    return snapshot;
  }
  if (*type == "tab") {
    auto tab = ReadTab(*object);
    if (!tab) return Fail(error, "tab without ids");
    return TabMessage{std::move(*tab)};
  }
  if (*type == "removed") {
    const auto tabId = json::GetUint32(*object, "tabId");
    if (!tabId) return Fail(error, "removed without tabId");
    return RemovedMessage{*tabId};
  }
  if (*type == "activated") {
    const auto tabId = json::GetUint32(*object, "tabId");
    const auto windowId = json::GetUint32(*object, "windowId");
    if (!tabId || !windowId) return Fail(error, "activated without ids");
    return ActivatedMessage{*tabId, *windowId};
  }
  if (*type == "focused") {
    // The browser reports focus leaving it as window -1, which is no window id.
    const auto windowId = json::GetUint32(*object, "windowId");
    if (!windowId) return Fail(error, "focused without a window");
    return FocusedMessage{*windowId};
  }
  if (*type == "reply") {
    const auto id = json::GetUint32(*object, "id");
    if (!id) return Fail(error, "reply without id");
    ReplyMessage reply;
    reply.id = *id;
    reply.ok = json::GetBool(*object, "ok").value_or(false);
    reply.tabId = json::GetUint32(*object, "tabId").value_or(0);
    reply.windowId = json::GetUint32(*object, "windowId").value_or(0);
    reply.error = json::GetString(*object, "error").value_or("");
    if (reply.ok && reply.tabId == 0) return Fail(error, "reply without tabId");
    return reply;
  }
  return Fail(error, "unknown type " + *type);
}

std::string OpenMessage(uint32_t id, const std::string& url, std::optional<uint32_t> tabId) {
  json::Object message{{"type", "open"}, {"id", id}, {"url", url}};
  if (tabId) message["tabId"] = *tabId;
  return json::Write(message);
}

std::string ActivateMessage(uint32_t id, std::optional<uint32_t> tabId) {
  json::Object message{{"type", "activate"}, {"id", id}};
  if (tabId) message["tabId"] = *tabId;
  return json::Write(message);
}

std::string EchoedMessage(uint32_t tabId, const std::string& url) {
  return json::Write(json::Object{{"type", "echoed"}, {"tabId", tabId}, {"url", url}});
}

}  // namespace bridge
