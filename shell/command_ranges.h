#pragma once

#include <cstdint>

#include "resources/resource_ids.h"
#include "store/page_mark_store.h"

// Topic links are numbered from 6034 up to just below the first fixed command, so that a Topic
// link can never be mistaken for a fixed item.
inline constexpr uint32_t kLastTopicCommand = res::kCmdAbout - 1;

// The grayed hint that "Recent Web Pages" shows while the store is empty: a number no PageMark,
// Topic link or fixed command ever has, so choosing it does nothing.
inline constexpr uint32_t kCmdNoPagesHint = kFirstPageMarkCommand - 1;

inline bool IsPageMarkCommand(uint32_t command) {
  return command >= kFirstPageMarkCommand && command <= kLastPageMarkCommand;
}

inline bool IsTopicCommand(uint32_t command) {
  return command >= kFirstTopicCommand && command <= kLastTopicCommand;
}
