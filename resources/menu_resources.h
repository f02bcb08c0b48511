#pragma once

#include <memory>

#include "platform/menu.h"

// A fresh copy of menu resource number (res::kMenuTray, res::kMenuLinks, the windows' menu bars and
// context menus): a new tree each call, so changing one copy never touches another. Its labels keep
// their mnemonic "&" (LabelStyle::Mnemonic). An unknown number gives nullptr.
std::shared_ptr<Menu> LoadMenuResource(int number);
