#include "shell/size_rules.h"

#include "resources/resource_ids.h"
#include "shell/command_ranges.h"

namespace {

bool IsSubmenuAt(const Menu& menu, std::size_t position) {
  const MenuItem* item = menu.ItemAt(position);
  return item && item->kind == MenuItemKind::Submenu;
}

bool IsTopicEntryAt(const Menu& menu, std::size_t position) {
  const MenuItem* item = menu.ItemAt(position);
  return item && (item->kind == MenuItemKind::Submenu || IsTopicCommand(item->command));
}

std::size_t Rows(int32_t menuRows) {
  return menuRows > 0 ? static_cast<std::size_t>(menuRows) : 0;
}

}  // namespace

void ApplyRecentRule(Menu& recent, int32_t menuRows) {
  const std::size_t rows = Rows(menuRows);
  while (recent.Count() >= rows && recent.Count() >= 3 &&
         IsPageMarkCommand(recent.CommandAt(recent.Count() - 3)))
    recent.RemoveAt(recent.Count() - 3);
}

void ApplyMoreRule(Menu& submenu, int32_t menuRows, uint32_t moreCommand, const char* moreText) {
  if (submenu.Count() != Rows(menuRows) || submenu.Count() < 3) return;
  for (int i = 0; i < 3; ++i) submenu.RemoveAt(submenu.Count() - 1);
  submenu.AppendSeparator();
  submenu.AppendItem(moreCommand, moreText, LabelStyle::Mnemonic);
}

void ApplySitesSubmenuRule(Menu& sites, int32_t menuRows) {
  const std::size_t rows = Rows(menuRows);
  while (sites.Count() >= rows && sites.Count() >= 3 && IsSubmenuAt(sites, sites.Count() - 3))
    sites.RemoveAt(sites.Count() - 3);
}

std::size_t ListEnd(const Menu& menu, std::size_t listPosition) {
  std::size_t end = listPosition;
  while (end < menu.Count() && menu.ItemAt(end)->kind != MenuItemKind::Separator) ++end;
  return end;
}

void ApplySiteListRule(Menu& main, std::size_t knownSites, int32_t mainListPosition, int32_t mainListCap) {
  if (mainListPosition < 0) return;
  const std::size_t cap = mainListCap > 0 ? static_cast<std::size_t>(mainListCap) : 0;
  if (knownSites <= cap) return;
  const auto first = static_cast<std::size_t>(mainListPosition);
  for (std::size_t end = ListEnd(main, first); end - first > cap && IsSubmenuAt(main, end - 1); --end)
    main.RemoveAt(end - 1);
}

void ApplyTopicListRule(Menu& main, int32_t menuRows, std::size_t firstTopicPosition) {
  const std::size_t rows = Rows(menuRows);
  if (rows == 0 || main.Count() <= rows || main.CommandAt(rows) == res::kCmdEditTopics) return;
  if (rows - 1 < firstTopicPosition || !IsTopicEntryAt(main, rows - 1)) return;
  main.RemoveAt(rows - 1);
}
