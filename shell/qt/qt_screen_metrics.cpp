#include "shell/qt/qt_screen_metrics.h"

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>

int QtScreenMetrics::ScreenHeight() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->geometry().height() : 0;
}

// Measured on a throw-away menu with one plain item, as the popups will lay theirs out.
int QtScreenMetrics::MenuItemHeight() const {
  QMenu probe;
  QAction* item = probe.addAction(QStringLiteral("Popup"));
  return probe.actionGeometry(item).height();
}
