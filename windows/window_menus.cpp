#include "windows/window_menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>
#include <memory>

#include "platform/qt/menu_renderer.h"
#include "resources/menu_resources.h"

namespace {

// The resource menus are one level deep below their bar.
void FillMenu(QMenu& qmenu, const Menu& menu, const CommandHandler& handler,
              std::map<uint32_t, QAction*>* actions) {
  for (std::size_t i = 0; i < menu.Count(); ++i) {
    const MenuItem& item = *menu.ItemAt(i);
    if (item.kind == MenuItemKind::Separator) {
      qmenu.addSeparator();
      continue;
    }
    if (item.kind != MenuItemKind::Command) continue;
    QAction* action = qmenu.addAction(MenuRenderer::ActionText(item));
    const uint32_t command = item.command;
    QObject::connect(action, &QAction::triggered, &qmenu, [handler, command] { handler(command); });
    if (actions) (*actions)[command] = action;
  }
}

}  // namespace

QAction* ActionOf(const std::map<uint32_t, QAction*>& actions, uint32_t command) {
  auto found = actions.find(command);
  return found == actions.end() ? nullptr : found->second;
}

std::map<uint32_t, QAction*> FillMenuBar(QMenuBar& bar, int number, const CommandHandler& handler) {
  std::map<uint32_t, QAction*> actions;
  const std::shared_ptr<Menu> resource = LoadMenuResource(number);
  if (!resource) return actions;
  for (std::size_t i = 0; i < resource->Count(); ++i) {
    const MenuItem& item = *resource->ItemAt(i);
    if (!item.submenu) continue;
    QMenu* qmenu = bar.addMenu(MenuRenderer::ActionText(item));
    FillMenu(*qmenu, *item.submenu, handler, &actions);
  }
  return actions;
}

QMenu* BuildContextMenu(int number, QWidget& parent, const CommandHandler& handler,
                        std::multimap<uint32_t, QAction*>* actions) {
  auto* qmenu = new QMenu(&parent);
  const std::shared_ptr<Menu> resource = LoadMenuResource(number);
  if (!resource || !resource->SubmenuAt(0)) return qmenu;
  std::map<uint32_t, QAction*> made;
  FillMenu(*qmenu, *resource->SubmenuAt(0), handler, &made);
  if (actions) actions->insert(made.begin(), made.end());
  return qmenu;
}

void EnableCommand(const std::multimap<uint32_t, QAction*>& actions, uint32_t command, bool enabled) {
  const auto [first, last] = actions.equal_range(command);
  for (auto it = first; it != last; ++it) it->second->setEnabled(enabled);
}

void LabelCommand(const std::multimap<uint32_t, QAction*>& actions, uint32_t command, const QString& label) {
  const auto [first, last] = actions.equal_range(command);
  for (auto it = first; it != last; ++it) it->second->setText(label);
}

void InstallAccelerators(QWidget& window, int number, const CommandHandler& handler) {
  for (const Accelerator& accelerator : LoadAcceleratorResource(number)) {
    const QKeySequence keys = KeysOf(accelerator);
    if (keys.isEmpty()) continue;
    auto* shortcut = new QShortcut(keys, &window);
    shortcut->setContext(Qt::WindowShortcut);
    const uint32_t command = accelerator.command;
    QObject::connect(shortcut, &QShortcut::activated, &window, [handler, command] { handler(command); });
  }
}

QKeySequence KeysOf(const Accelerator& accelerator) {
  int key = 0;
  const uint16_t vk = accelerator.virtualKey;
  if (vk >= 'A' && vk <= 'Z')
    key = Qt::Key_A + (vk - 'A');
  else if (vk >= '0' && vk <= '9')
    key = Qt::Key_0 + (vk - '0');
  else if (vk >= kVkF1 && vk <= kVkF12)
    key = Qt::Key_F1 + (vk - kVkF1);
  else if (vk == kVkDelete)
    key = Qt::Key_Delete;
  else if (vk == kVkEscape)
    key = Qt::Key_Escape;
  if (key == 0) return {};
  return QKeySequence(accelerator.control ? QKeyCombination(Qt::ControlModifier, Qt::Key(key))
                                          : QKeyCombination(Qt::Key(key)));
}
