#include "bridge/host/relay.h"

#include "bridge/host/url_to_open.h"
#include "browser/argument_list.h"
#include "browser/verb_table.h"

namespace bridge {

Relay::Relay(dde::Instance& inst, BrowserChannel& channel, Log logTo, Options opts)
    : instance(inst),
      browser(channel),
      log(std::move(logTo)),
      options(std::move(opts)),
      peer(inst, PeerHooks()),
      tabs(options.titles),
      book(inst.RuntimeDir()) {}

BrowserPeer::Hooks Relay::PeerHooks() {
  BrowserPeer::Hooks hooks;
  hooks.openUrl = [this](const std::string& url, uint32_t windowId) { return OpenUrl(url, windowId); };
  hooks.activate = [this](uint32_t windowId) { return Activate(windowId); };
  hooks.windowInfo = [this](uint32_t windowId) { return WindowInfo(windowId); };
  hooks.served = [this](const BrowserPeer::Served& served) { NoteRegistration(served); };
  return hooks;
}

// The log says who receives the echoes, so a user can see that Hopwise has found the browser.
void Relay::NoteRegistration(const BrowserPeer::Served& served) {
  const int verb = VerbIndex(served.topic);
  if (served.kind != "poke" || (verb != WWW_RegisterURLEcho && verb != WWW_UnRegisterURLEcho)) return;
  std::string server;
  ParseArgumentList(served.item, "QCS", {&server});
  if (server.empty()) return;
  if (verb == WWW_UnRegisterURLEcho) {
    book.Unregister(server);
  } else if (book.Register(server)) {
    newcomers.push_back(server);
  }
  serversChanged = true;
  std::string servers;
  for (const auto& name : peer.EchoServers()) servers += (servers.empty() ? "" : ", ") + name;
  log("echoes go to: " + (servers.empty() ? std::string("nobody") : servers));
}

bool Relay::Start(Clock::time_point now) {
  if (peer.Start()) {
    NameHeld("serving NETSCAPE");
    return true;
  }
  // Start() fails when the transport cannot be set up, or when another bridge holds the name.
  if (instance.EventFd() < 0) return false;
  log("NETSCAPE is held by another program; waiting to take it over");
  nextRegister = now + options.registerRetry;
  return true;
}

void Relay::TryRegister(Clock::time_point now) {
  if (holdsName || !nextRegister || now < *nextRegister) return;
  if (instance.RegisterService(std::string(kBrowserService))) {
    nextRegister.reset();
    NameHeld("took over NETSCAPE");
  } else {
    nextRegister = now + options.registerRetry;
  }
}

void Relay::NameHeld(std::string_view how) {
  holdsName = true;
  keptDue = true;
  log(how);
  if (options.onNameHeld) options.onNameHeld();
}

void Relay::OnBrowserMessage(const std::string& text, Clock::time_point now) {
  std::string error;
  const auto message = ParseBrowserMessage(text, &error);
  if (!message) {
    log("ignored a message from the browser: " + error);
    return;
  }
  Handle(*message, now);
}

void Relay::Handle(const BrowserMessage& message, Clock::time_point now) {
  if (const auto* snapshot = std::get_if<SnapshotMessage>(&message)) {
    Queue(tabs.Snapshot(snapshot->tabs, snapshot->focusedWindow, now));
    TakeServersOver(snapshot->servers);
    log("snapshot of " + std::to_string(snapshot->tabs.size()) + " tabs");
  } else if (const auto* tab = std::get_if<TabMessage>(&message)) {
    Queue(tabs.Update(tab->tab, now));
  } else if (const auto* removed = std::get_if<RemovedMessage>(&message)) {
    tabs.Remove(removed->tabId);
  } else if (const auto* activated = std::get_if<ActivatedMessage>(&message)) {
    tabs.Activate(activated->tabId, activated->windowId);
  } else if (const auto* focused = std::get_if<FocusedMessage>(&message)) {
    tabs.Focus(focused->windowId);
  } else if (const auto* reply = std::get_if<ReplyMessage>(&message)) {
    log("a late reply to request " + std::to_string(reply->id) + " was dropped");
  }
}

// An earlier host of this browser echoed to these programs: those still there get the echoes at
// once, and their registering again (they see a new browser process) brings them nothing twice.
void Relay::TakeServersOver(const std::vector<ServerMark>& servers) {
  for (const auto& name : book.TakeOver(servers)) {
    peer.AddEchoServer(name);
    keptDue = true;
    serversChanged = true;
    log("echoes go on to " + name);
  }
}

void Relay::Dispatch() {
  peer.Dispatch();
}

void Relay::Tick(Clock::time_point now) {
  TryRegister(now);
  Queue(tabs.TakeDue(now));
  SendEchoes();
  std::vector<std::string> welcome;
  welcome.swap(newcomers);
  for (const auto& server : welcome) Welcome(server);
  if (keptDue) {
    keptDue = false;
    SendKept(nullptr);
  }
  if (serversChanged) {
    serversChanged = false;
    browser.Send(ServersMessage(book.Marks()));
  }
}

std::optional<Clock::time_point> Relay::NextWake() const {
  std::optional<Clock::time_point> wake = tabs.NextDeadline();
  if (!pendingEchoes.empty() || !newcomers.empty() || keptDue || serversChanged) wake = Clock::time_point::min();
  if (nextRegister && (!wake || *nextRegister < *wake)) wake = nextRegister;
  return wake;
}

std::optional<BrowserPeer::Window> Relay::WindowInfo(uint32_t windowId) const {
  if (inFlight && inFlight->id == windowId) return inFlight;
  const auto id = tabs.Resolve(windowId == 0 ? kAnyWindow : windowId);
  if (!id) return std::nullopt;
  const TabTable::Tab* tab = tabs.Find(*id);
  return BrowserPeer::Window{*id, tab->url, tab->title};
}

uint32_t Relay::AskBrowser(uint32_t id, const std::string& request, std::string_view what) {
  if (!browser.Send(request)) return 0;
  const auto deadline = Clock::now() + options.replyTimeout;
  while (auto text = browser.Receive(deadline)) {
    std::string error;
    const auto message = ParseBrowserMessage(*text, &error);
    if (!message) {
      log("ignored a message from the browser: " + error);
      continue;
    }
    const auto* reply = std::get_if<ReplyMessage>(&*message);
    if (!reply || reply->id != id) {
      // Tab news keeps coming while the request waits; its echoes go out after the reply.
      Handle(*message, Clock::now());
      continue;
    }
    if (!reply->ok) {
      log(std::string(what) + " refused by the browser: " + reply->error);
      return 0;
    }
    return reply->tabId;
  }
  log(std::string(what) + ": no answer from the browser in time");
  return 0;
}

uint32_t Relay::OpenUrl(const std::string& url, uint32_t windowId) {
  const std::string target = UrlToOpen(url);
  if (target.empty()) return 0;
  std::optional<uint32_t> tabId;
  if (windowId != 0 && windowId != kAnyWindow && tabs.Resolve(windowId)) tabId = windowId;
  const uint32_t id = nextRequestId++;
  return AskBrowser(id, OpenMessage(id, target, tabId), "open");
}

uint32_t Relay::Activate(uint32_t windowId) {
  std::optional<uint32_t> tabId;
  if (windowId != 0 && windowId != kAnyWindow && tabs.Resolve(windowId)) tabId = windowId;
  const uint32_t id = nextRequestId++;
  return AskBrowser(id, ActivateMessage(id, tabId), "activate");
}

}  // namespace bridge
