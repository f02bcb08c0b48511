// Two browsers at once: the bridge holding "NETSCAPE" serves the others' browsers as well.
//  - A bridge that finds "NETSCAPE" taken serves a name of its own, opens a conversation on
//    "NETSCAPE" with the topic kBridgeTopic, pokes a "join" naming it, and from then on pokes every
//    message of its extension on that conversation (the extension sends a snapshot on "resync").
//  - The holder takes each joined bridge's browser as one more source of tabs. Its notes for that
//    browser's extension ("echoed", "servers") go by poke to the joined bridge's own name, on the
//    same topic, and are passed on; open and activate requests go there as the browser verbs.
//  - When either side ends, the other sees the conversation end: the holder forgets the browser,
//    the joined bridge takes "NETSCAPE" over or joins the bridge that did.
#include "bridge/host/relay.h"
#include "browser/verb_table.h"

namespace bridge {

dde::Result Relay::OnBridgeTransaction(const dde::Transaction& t) {
  if (t.topic != kBridgeTopic) return {};
  if (t.type == dde::TransactionType::Disconnect) {
    if (t.conv == toHolder) {
      toHolder = 0;
      log("the bridge holding NETSCAPE has gone");
      nextRegister = nextJoin = Clock::now();
      return {};
    }
    for (auto it = sources.begin(); it != sources.end(); ++it) {
      Source& source = it->second;
      if (it->first != 0 && source.to == t.conv) source.to = 0;
      if (it->first == 0 || source.from != t.conv) continue;
      log("the bridge " + source.name + " has gone");
      if (source.to) instance.Disconnect(source.to);
      windows.ForgetSource(it->first);
      sources.erase(it);
      break;
    }
    return {};
  }
  if (!ownName.empty() && t.service == ownName) return ServeHolder(t);
  return ServeJoined(t);
}

// On "NETSCAPE": another bridge joins this one, then passes its browser's news on.
dde::Result Relay::ServeJoined(const dde::Transaction& t) {
  if (!holdsName) return {};
  if (t.type == dde::TransactionType::Connect) return {sources.size() <= options.joinedBridges ? 1u : 0u, {}};
  if (t.type != dde::TransactionType::Poke) return {};
  for (auto& [id, source] : sources) {
    if (id == 0 || source.from != t.conv) continue;
    std::string error;
    const auto message = ParseBrowserMessage(t.item, &error);
    if (!message) {
      log("ignored a message from the bridge " + source.name + ": " + error);
      return {};
    }
    Handle(id, *message, Clock::now());
    return {dde::kFack, {}};
  }
  const auto name = ParseJoinMessage(t.item);
  if (!name || sources.size() > options.joinedBridges) return {};
  const uint32_t id = nextSource++;
  Source& joined = sources.try_emplace(id, options.titles).first->second;
  joined.from = t.conv;
  joined.name = *name;
  serversChanged = true;
  log("the bridge " + *name + " joined");
  return {dde::kFack, {}};
}

// On this bridge's own name: the holder's notes for the extension.
dde::Result Relay::ServeHolder(const dde::Transaction& t) {
  if (t.type == dde::TransactionType::Connect) return {1, {}};
  if (t.type != dde::TransactionType::Poke || !IsNoteForExtension(t.item)) return {};
  browser.Send(t.item);
  return {dde::kFack, {}};
}

void Relay::KeepJoined(Clock::time_point now) {
  if (!holdsName && !toHolder && nextJoin && now >= *nextJoin) Join(now);
  if (toHolder && resyncDue) {
    resyncDue = false;
    browser.Send(ResyncMessage());
  }
}

void Relay::Join(Clock::time_point now) {
  nextJoin.reset();
  const dde::ConvHandle conv =
      instance.Connect(std::string(kBrowserService), std::string(kBridgeTopic), 2000);
  if (conv && instance.Poke(conv, JoinMessage(ownName), 2000) == dde::kFack && instance.IsConnected(conv)) {
    toHolder = conv;
    log("joined the bridge that holds NETSCAPE");
    resyncDue = false;
    DropKeptShown();
    browser.Send(ResyncMessage());
    return;
  }
  if (conv) instance.Disconnect(conv);
  if (!holdsName) nextJoin = now + options.registerRetry;
}

// The holder echoes the pages the tabs show from the snapshot it gets now: a kept one of those
// would come twice, should this bridge take the name over later. Pages the tabs have left since
// stay kept.
void Relay::DropKeptShown() {
  std::erase_if(keptEchoes, [&](const PageEcho& echo) {
    const auto ref = windows.Find(echo.tabId);
    const TabTable::Tab* tab = ref && ref->source == 0 ? sources.at(0).tabs.Find(ref->tabId) : nullptr;
    return tab && tab->page.url == echo.url;
  });
}

void Relay::LeaveHolder() {
  if (toHolder) instance.Disconnect(toHolder);
  toHolder = 0;
}

// A message the holder did not take (it was busy too long, or could not read it) leaves it with
// a wrong picture of this browser's tabs: a new snapshot mends that.
void Relay::Forward(const std::string& text) {
  if (instance.Poke(toHolder, text, 5000) == dde::kFack) return;
  log("the bridge holding NETSCAPE did not take a message; it gets every tab again");
  resyncDue = true;
}

void Relay::Tell(uint32_t source, const std::string& note) {
  if (source == 0) {
    browser.Send(note);
    return;
  }
  auto it = sources.find(source);
  if (it == sources.end()) return;
  dde::ConvHandle to = it->second.to;
  if (!to || !instance.IsConnected(to)) {
    const std::string name = it->second.name;
    to = instance.Connect(name, std::string(kBridgeTopic), 2000);
    it = sources.find(source);  // the bridge may have gone meanwhile
    if (it == sources.end()) {
      if (to) instance.Disconnect(to);
      return;
    }
    it->second.to = to;
  }
  if (to) instance.Poke(to, note, 2000);
}

}  // namespace bridge
