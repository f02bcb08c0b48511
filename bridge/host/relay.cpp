#include "bridge/host/relay.h"

#include <unistd.h>

#include "browser/argument_list.h"
#include "browser/verb_table.h"

namespace bridge {

Relay::Relay(dde::Instance& inst, BrowserChannel& channel, Log logTo, Options opts)
    : instance(inst),
      browser(channel),
      log(std::move(logTo)),
      options(std::move(opts)),
      peer(inst, PeerHooks()),
      book(inst.RuntimeDir()) {
  sources.try_emplace(0, options.titles);
}

BrowserPeer::Hooks Relay::PeerHooks() {
  BrowserPeer::Hooks hooks;
  hooks.openUrl = [this](const std::string& url, uint32_t windowId) { return OpenUrl(url, windowId); };
  hooks.activate = [this](uint32_t windowId) { return Activate(windowId); };
  hooks.windowInfo = [this](uint32_t windowId) { return WindowInfo(windowId); };
  hooks.served = [this](const BrowserPeer::Served& served) { NoteRegistration(served); };
  hooks.other = [this](const dde::Transaction& t) { return OnBridgeTransaction(t); };
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
  ownName = std::string(kBridgeNamePrefix) + std::to_string(::getpid());
  if (!instance.RegisterService(ownName)) log("cannot serve " + ownName);
  log("NETSCAPE is held by another program; joining it, and waiting to take it over");
  nextRegister = now + options.registerRetry;
  nextJoin = now;
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
  if (!ownName.empty()) {
    // The extension knows whom the bridge before echoed to; its snapshot hands that over.
    LeaveHolder();
    instance.UnregisterService(ownName);
    ownName.clear();
    nextJoin.reset();
    browser.Send(ResyncMessage());
  }
  if (options.onNameHeld) options.onNameHeld();
}

void Relay::OnBrowserMessage(const std::string& text, Clock::time_point now) {
  std::string error;
  const auto message = ParseBrowserMessage(text, &error);
  if (!message) {
    log("ignored a message from the browser: " + error);
    return;
  }
  TakeOwnMessage(text, *message, now);
}

// While another bridge holds "NETSCAPE", this one's browser news goes to it as well (a reply
// answers this bridge's own request).
void Relay::TakeOwnMessage(const std::string& text, const BrowserMessage& message, Clock::time_point now) {
  Handle(0, message, now);
  if (toHolder && !std::holds_alternative<ReplyMessage>(message)) Forward(text);
}

void Relay::Handle(uint32_t source, const BrowserMessage& message, Clock::time_point now) {
  TabTable& tabs = sources.at(source).tabs;
  if (const auto* snapshot = std::get_if<SnapshotMessage>(&message)) {
    std::set<uint32_t> present;
    for (const auto& tab : snapshot->tabs) present.insert(tab.tabId);
    for (const uint32_t id : tabs.Ids()) {
      if (!present.count(id)) windows.Forget(TabRef{source, id});
    }
    Queue(source, tabs.Snapshot(snapshot->tabs, snapshot->focusedWindow, now));
    if (source == 0) TakeServersOver(snapshot->servers);
    log("snapshot of " + std::to_string(snapshot->tabs.size()) + " tabs");
  } else if (const auto* tab = std::get_if<TabMessage>(&message)) {
    TakeTab(source, tab->tab, now);
  } else if (const auto* removed = std::get_if<RemovedMessage>(&message)) {
    tabs.Remove(removed->tabId);
    windows.Forget(TabRef{source, removed->tabId});
  } else if (const auto* activated = std::get_if<ActivatedMessage>(&message)) {
    tabs.Activate(activated->tabId, activated->windowId);
    Use(source);
  } else if (const auto* focused = std::get_if<FocusedMessage>(&message)) {
    tabs.Focus(focused->windowId);
    Use(source);
  } else if (const auto* reply = std::get_if<ReplyMessage>(&message)) {
    log("a late reply to request " + std::to_string(reply->id) + " was dropped");
  }
}

// A new page in the selected tab is the user at work in that browser.
void Relay::TakeTab(uint32_t source, const TabReport& report, Clock::time_point now) {
  TabTable& tabs = sources.at(source).tabs;
  const TabTable::Tab* before = tabs.Find(report.tabId);
  const bool newPage = !before || !TabTable::SamePage(before->url, report.url);
  Queue(source, tabs.Update(report, now));
  if (report.active && newPage) Use(source);
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

void Relay::Use(uint32_t source) {
  sources.at(source).used = ++useCount;
}

void Relay::Dispatch() {
  peer.Dispatch();
}

void Relay::Tick(Clock::time_point now) {
  TryRegister(now);
  KeepJoined(now);
  // Kept pages are older than those due now, and go first.
  if (keptDue) {
    keptDue = false;
    SendKept(nullptr);
  }
  for (auto& [id, source] : sources) Queue(id, source.tabs.TakeDue(now));
  SendEchoes();
  std::vector<std::string> welcome;
  welcome.swap(newcomers);
  for (const auto& server : welcome) Welcome(server);
  if (serversChanged && holdsName) {
    serversChanged = false;
    std::vector<uint32_t> ids;
    for (const auto& [id, source] : sources) ids.push_back(id);
    for (const uint32_t id : ids) Tell(id, ServersMessage(book.Marks()));
  }
}

std::optional<Clock::time_point> Relay::NextWake() const {
  std::optional<Clock::time_point> wake;
  auto earliest = [&](std::optional<Clock::time_point> at) {
    if (at && (!wake || *at < *wake)) wake = at;
  };
  for (const auto& [id, source] : sources) earliest(source.tabs.NextDeadline());
  if (!pendingEchoes.empty() || !newcomers.empty() || keptDue || (serversChanged && holdsName))
    earliest(Clock::time_point::min());
  earliest(nextRegister);
  if (!holdsName && !toHolder) earliest(nextJoin);
  if (toHolder && resyncDue) earliest(Clock::time_point::min());
  return wake;
}

}  // namespace bridge
