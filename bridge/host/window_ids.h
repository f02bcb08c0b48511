#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <utility>

namespace bridge {

// A tab of one of the browsers a bridge serves: the browser (0: the bridge's own, then the other
// bridges' in the order they joined) and the tab's id in it.
struct TabRef {
  uint32_t source = 0;
  uint32_t tabId = 0;

  auto operator<=>(const TabRef&) const = default;
};

// The window ids Hopwise sees for the tabs of every browser the bridge serves. A tab keeps its own
// id unless a tab of another browser has it already (Firefox numbers tabs from 1 in every
// session); then it gets a free one, counted down from 2^31 - 2.
class WindowIds {
 public:
  uint32_t For(TabRef tab);
  std::optional<TabRef> Find(uint32_t windowId) const;
  void Forget(TabRef tab);
  void ForgetSource(uint32_t source);
  size_t Size() const { return byWindow.size(); }

 private:
  bool Free(uint32_t windowId) const;

  std::map<uint32_t, TabRef> byWindow;
  std::map<TabRef, uint32_t> byTab;
  uint32_t nextSpare = 0x7FFFFFFE;
};

}  // namespace bridge
