// The keys typed inside an open popup menu and the end of the menu loop.
#include <QCursor>

#include "shell/qt/tray_wnd.h"

// A key that asks for a window closes the menu; the close is posted, as the key is still being
// delivered to that menu.
void CTrayWnd::OnMenuCharacter(int code, uint32_t highlightedCommand, const std::shared_ptr<Menu>& menu) {
  if (!menu) return;
  const QPoint cursor = QCursor::pos();
  if (keys_->OnMenuKey(code, highlightedCommand, *menu, cursor.x(), cursor.y()) == MenuKeyResult::kCloseMenu)
    QMetaObject::invokeMethod(this, &CTrayWnd::CloseMenus, Qt::QueuedConnection);
}

void CTrayWnd::OnMenuLoopEnded() {
  keys_->OnMenuClosed();
  if (std::exchange(rebuildWhenClosed_, false)) menus_->RebuildMenus();
}

bool CTrayWnd::MenuOpen() const {
  return mainRenderer_.IsOpen() || quickRenderer_.IsOpen();
}

void CTrayWnd::CloseMenus() {
  mainRenderer_.Close();
  quickRenderer_.Close();
}
