#include "resources/icons.h"

#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSvgRenderer>

#include "resources/resource_ids.h"

namespace {

QString IconName(int number) {
  switch (number) {
    case res::kIconActive:
      return QStringLiteral("active");
    case res::kIconSuspended:
      return QStringLiteral("suspended");
    default:
      return {};
  }
}

// The tray icons have pictures drawn on the pixel grid for the small sizes a tray uses; other
// sizes are rendered from the scalable picture.
QString PathForSize(const QString& name, int size) {
  if (size <= 18) return ":/hopwise/icons/" + name + "-16.svg";
  if (size <= 24) return ":/hopwise/icons/" + name + "-22.svg";
  return ":/hopwise/icons/" + name + ".svg";
}

QPixmap Render(const QString& path, int size) {
  QSvgRenderer renderer(path);
  if (!renderer.isValid()) return {};
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  renderer.render(&painter);
  return pixmap;
}

}  // namespace

// Rendered through QSvgRenderer rather than QIcon(path), so the icons do not depend on the SVG
// icon-engine plugin being installed.
QIcon LoadIconResource(int number) {
  const QString name = IconName(number);
  if (name.isEmpty()) return {};
  QIcon icon;
  for (int size : {16, 20, 22, 24, 32, 44, 48, 64, 128}) {
    QPixmap pixmap = Render(PathForSize(name, size), size);
    if (pixmap.isNull()) return {};
    icon.addPixmap(pixmap);
  }
  return icon;
}
