// The four requests Hopwise makes of the browser. Each opens its own conversation, makes one
// transaction and ends the conversation again, on every way out.
#include <string>

#include "browser/argument_list.h"
#include "browser/browser_program.h"
#include "browser/dde_object.h"
#include "browser/verb_table.h"
#include "browser/window_title.h"

namespace {

constexpr int kRegistrationAttempts = 20;
constexpr std::chrono::milliseconds kRegistrationPause{1000};
// An attempt whose conversation the browser has not taken within this is counted as failed and
// made again later, so that a browser that hangs holds the tray for a second at a time only.
constexpr int kRegistrationConnectMs = 1000;

// A client conversation for the length of one operation. It keeps the handle only: if the browser
// ends the conversation meanwhile, the endpoint's disconnect step has already dropped the record
// and the closing Disconnect finds nothing to do.
class ClientConversation {
 public:
  ClientConversation(CDDEObject& endpoint, int verb, int connectTimeoutMs = 0)
      : endpoint_(endpoint), conv_(endpoint.Connect(verb, connectTimeoutMs)) {}
  ~ClientConversation() {
    if (conv_ != 0) endpoint_.Disconnect(conv_);
  }
  ClientConversation(const ClientConversation&) = delete;
  ClientConversation& operator=(const ClientConversation&) = delete;

  explicit operator bool() const { return conv_ != 0; }
  std::optional<dde::Bytes> Request(const std::optional<std::string>& item) {
    return endpoint_.Request(conv_, item);
  }
  uint32_t Poke(const std::optional<std::string>& item) { return endpoint_.Poke(conv_, item); }

 private:
  CDDEObject& endpoint_;
  dde::ConvHandle conv_;
};

// Window id any, flags 0.
const std::string kAnyWindowNoFlags = "4294967295,0,";

}  // namespace

void CDDEObject::OpenUrl(const std::string& url) {
  ClientConversation conv(*this, WWW_OpenURL);
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
  ClientConversation conv(*this, WWW_Activate);
  if (conv) ParseResultData(conv.Request(kAnyWindowNoFlags), "DW", {&windowId});
  return windowId;
}

WindowInfo CDDEObject::GetWindowInfo(uint32_t windowId) {
  std::string item = windowId == 0 ? "4294967295" : std::to_string(static_cast<int32_t>(windowId));
  std::string url;
  std::string caption;
  {
    ClientConversation conv(*this, WWW_GetWindowInfo);
    if (conv) ParseResultData(conv.Request(item), "QCS,QCS", {&url, &caption});
  }
  return WindowInfo{url, TitleFromCaption(caption)};
}

void CDDEObject::RegisterUrlEcho(const std::string& serverName) {
  for (int attempt = 1; attempt <= kRegistrationAttempts; ++attempt) {
    if (TryRegisterUrlEcho(serverName)) return;
    if (attempt < kRegistrationAttempts) link_.sleep(kRegistrationPause);
  }
}

bool CDDEObject::TryRegisterUrlEcho(const std::string& serverName) {
  ClientConversation conv(*this, WWW_RegisterURLEcho, kRegistrationConnectMs);
  if (!conv) return false;
  conv.Poke(BuildArgumentList("QCS", {serverName}));
  return true;
}
