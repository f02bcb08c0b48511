#include "bridge/host/window_ids.h"

#include "bridge/host/tab_table.h"

namespace bridge {

bool WindowIds::Free(uint32_t windowId) const {
  return windowId != 0 && windowId != kAnyWindow && !byWindow.count(windowId);
}

uint32_t WindowIds::For(TabRef tab) {
  if (const auto known = byTab.find(tab); known != byTab.end()) return known->second;
  uint32_t id = tab.tabId;
  if (!Free(id)) {
    while (!Free(nextSpare)) nextSpare = nextSpare > 1 ? nextSpare - 1 : 0x7FFFFFFE;
    id = nextSpare;
  }
  byWindow[id] = tab;
  byTab[tab] = id;
  return id;
}

std::optional<TabRef> WindowIds::Find(uint32_t windowId) const {
  const auto it = byWindow.find(windowId);
  if (it == byWindow.end()) return std::nullopt;
  return it->second;
}

void WindowIds::Forget(TabRef tab) {
  const auto it = byTab.find(tab);
  if (it == byTab.end()) return;
  byWindow.erase(it->second);
  byTab.erase(it);
}

void WindowIds::ForgetSource(uint32_t source) {
  for (auto it = byTab.lower_bound(TabRef{source, 0}); it != byTab.end() && it->first.source == source;) {
    byWindow.erase(it->second);
    it = byTab.erase(it);
  }
}

}  // namespace bridge
