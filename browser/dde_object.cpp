#include "browser/dde_object.h"

#include <string>

#include "browser/argument_list.h"
#include "browser/browser_program.h"
#include "browser/client_conversation.h"
#include "browser/verb_table.h"
#include "browser/window_title.h"

CDDEObject::CDDEObject(DdeLink& link, const CPrefs& prefs, Launcher& launcher)
    : link_(link), prefs_(prefs), launcher_(launcher), name_(link.AddEndpoint()) {}

CDDEObject::~CDDEObject() {
  link_.RemoveEndpoint(name_);
}

bool CDDEObject::IsRegistered() const {
  return link_.IsRegistered(name_);
}

// The four requests Hopwise makes of the browser. Each opens its own conversation, makes one
// transaction and ends the conversation again, on every way out.
namespace {

// An attempt whose conversation the browser has not taken within this is counted as failed and
// made again later, so that a browser that hangs holds the tray for a second at a time only.
constexpr int kRegistrationConnectMs = 1000;

// Window id any, flags 0.
const std::string kAnyWindowNoFlags = "4294967295,0,";

}  // namespace

void CDDEObject::OpenUrl(const std::string& url) {
  ClientConversation conv(link_, name_, WWW_OpenURL);
  if (!conv) {
    if (!link_.Instance().Interrupted()) StartBrowserProgram(launcher_, prefs_, url);
    return;
  }
  // No page to load: the Activate that follows brings the browser forward.
  if (url.empty()) return;
  // The URL goes in quotes as it stands (a quote inside it is not escaped), then an empty
  // save-as element, any window, flags 0.
  uint32_t windowId = 0;
  ParseResultData(conv.Request("\"" + url + "\",," + kAnyWindowNoFlags), "DW", {&windowId});
}

uint32_t CDDEObject::Activate() {
  uint32_t windowId = 0;
  ClientConversation conv(link_, name_, WWW_Activate);
  if (conv) ParseResultData(conv.Request(kAnyWindowNoFlags), "DW", {&windowId});
  return windowId;
}

WindowInfo CDDEObject::GetWindowInfo(uint32_t windowId) {
  std::string item = windowId == 0 ? "4294967295" : std::to_string(static_cast<int32_t>(windowId));
  std::string url;
  std::string caption;
  {
    ClientConversation conv(link_, name_, WWW_GetWindowInfo);
    if (conv) ParseResultData(conv.Request(item), "QCS,QCS", {&url, &caption});
  }
  return WindowInfo{url, TitleFromCaption(caption)};
}

bool CDDEObject::TryRegisterUrlEcho(const std::string& serverName) {
  ClientConversation conv(link_, name_, WWW_RegisterURLEcho, kRegistrationConnectMs);
  if (!conv) return false;
  conv.Poke(BuildArgumentList("QCS", {serverName}));
  return true;
}
