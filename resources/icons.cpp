#include "resources/icons.h"

#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSvgRenderer>

#include "resources/resource_ids.h"

namespace {

QString IconPath(int number) {
  switch (number) {
    case res::kIconActive:
      return QStringLiteral(":/hopwise/icons/active.svg");
    case res::kIconSuspended:
      return QStringLiteral(":/hopwise/icons/suspended.svg");
    case res::kIconPageMark:
      return QStringLiteral(":/hopwise/icons/pagemark.svg");
    case res::kIconSite:
      return QStringLiteral(":/hopwise/icons/site.svg");
    case res::kIconUpdated:
      return QStringLiteral(":/hopwise/icons/updated.svg");
    case res::kIconFolderLink:
      return QStringLiteral(":/hopwise/icons/folder_link.svg");
    case res::kIconUnreachable:
      return QStringLiteral(":/hopwise/icons/unreachable.svg");
    case res::kIconBadStatus:
      return QStringLiteral(":/hopwise/icons/bad_status.svg");
    default:
      return {};
  }
}

}  // namespace

// Rendered through QSvgRenderer rather than QIcon(path), so the icons do not depend on the SVG
// icon-engine plugin being installed.
QIcon LoadIconResource(int number) {
  const QString path = IconPath(number);
  if (path.isEmpty()) return {};
  QSvgRenderer renderer(path);
  if (!renderer.isValid()) return {};
  QIcon icon;
  for (int size : {16, 20, 22, 24, 32, 48, 64, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}
