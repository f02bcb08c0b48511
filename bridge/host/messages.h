#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "bridge/host/echo_server_book.h"
#include "bridge/host/tab_table.h"

// The messages between the extension and the host (bridge/README.md lists them). Every message
// is a JSON object with a "type".
namespace bridge {

// Extension -> host.
struct SnapshotMessage {  // "snapshot": every tab, sent on each connect
  std::vector<TabReport> tabs;
  std::optional<uint32_t> focusedWindow;
  std::vector<ServerMark> servers;  // who the host before echoed to, as it told the extension
};
struct TabMessage {  // "tab": a tab's url, title or load state changed
  TabReport tab;
};
struct RemovedMessage {  // "removed": a tab closed
  uint32_t tabId;
};
struct ActivatedMessage {  // "activated": the selected tab of a window changed
  uint32_t tabId;
  uint32_t windowId;
};
struct FocusedMessage {  // "focused": a browser window got the focus
  uint32_t windowId;
};
struct ReplyMessage {  // "reply": the answer to an "open" or "activate" of the host
  uint32_t id = 0;
  bool ok = false;
  uint32_t tabId = 0;
  uint32_t windowId = 0;
  std::string error;
};

using BrowserMessage =
    std::variant<SnapshotMessage, TabMessage, RemovedMessage, ActivatedMessage, FocusedMessage, ReplyMessage>;

// The message, or nothing with the reason in *error: for text that is not JSON in UTF-8, is not an
// object or lacks what its type needs. Tabs of a snapshot that cannot be read are left out; the
// others stand. Ids are integral numbers in [0, 2^32 - 1].
std::optional<BrowserMessage> ParseBrowserMessage(std::string_view text, std::string* error);

// Host -> extension: compact JSON with the keys in order. A text that is not UTF-8 goes as
// Latin-1 (Utf8OrLatin1), so a message is always UTF-8: the browser drops the port on one that is not.
// Show url in tab tabId, or in a new tab of the last focused window when there is none.
std::string OpenMessage(uint32_t id, const std::string& url, std::optional<uint32_t> tabId);
// Bring tab tabId and its window to the front (the last focused window when there is none).
std::string ActivateMessage(uint32_t id, std::optional<uint32_t> tabId);
// The page of tab tabId was echoed: a later snapshot marks it, so that a new host does not echo it again.
std::string EchoedMessage(uint32_t tabId, const std::string& url);
// Who receives the echoes now: a later snapshot hands the list back, so that a new host goes on
// echoing to them without waiting for them to register again.
std::string ServersMessage(const std::vector<ServerMark>& servers);

// Host -> extension: send a snapshot now (another bridge has to learn every tab).
std::string ResyncMessage();

// Between bridges (bridge/README.md, "Two browsers at once"): a bridge that joins the one holding
// "NETSCAPE" names the service it answers on first, kBridgeNamePrefix and its process id; the
// name, or nothing for another message or a name of another kind.
inline constexpr std::string_view kBridgeNamePrefix = "HOPWISE-BRIDGE-";
std::string JoinMessage(const std::string& serviceName);
std::optional<std::string> ParseJoinMessage(std::string_view text);
// True for the host's notes to the extension that the bridge holding "NETSCAPE" passes on through
// another bridge: "echoed" and "servers".
bool IsNoteForExtension(std::string_view text);

}  // namespace bridge
