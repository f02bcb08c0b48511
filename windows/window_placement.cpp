#include "windows/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

QRect Centred(const QRect& screen, int width, int height) {
  return QRect(screen.x() + (screen.width() - width) / 2, screen.y() + (screen.height() - height) / 2, width,
               height);
}

}  // namespace

QRect PageMarksPlacement(const QRect& screen) {
  return Centred(screen, static_cast<int>(screen.width() * 0.6666666666666666), screen.height() / 2);
}

QRect SitesPlacement(const QRect& screen) {
  return Centred(screen, screen.height() / 2, screen.width() / 2);
}

QRect TopicsPlacement(const QRect& screen) {
  return SitesPlacement(screen);
}

void PlaceOnPrimaryScreen(QWidget& window, QRect (*placement)(const QRect&)) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  window.setGeometry(placement(screen->geometry()));
}
