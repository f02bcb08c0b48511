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
    case res::kIconPageMark:
      return QStringLiteral("pagemark");
    case res::kIconSite:
      return QStringLiteral("site");
    case res::kIconUpdated:
      return QStringLiteral("updated");
    case res::kIconFolderLink:
      return QStringLiteral("folder_link");
    case res::kIconUnreachable:
      return QStringLiteral("unreachable");
    case res::kIconBadStatus:
      return QStringLiteral("bad_status");
    case res::kIconFolder:
      return QStringLiteral("folder");
    case res::kIconOpenFolder:
      return QStringLiteral("folder_open");
    case res::kPictureRevisit:
      return QStringLiteral("about_revisit");
    case res::kPictureSites:
      return QStringLiteral("about_sites");
    case res::kPictureTopics:
      return QStringLiteral("about_topics");
    default:
      return {};
  }
}

// The tray icons have pictures drawn on the pixel grid for the small sizes a tray uses; other
// sizes, and the list pictures (drawn on a 16-pixel grid), are rendered from the one picture.
QString PathForSize(int number, const QString& name, int size) {
  const bool trayIcon = number == res::kIconActive || number == res::kIconSuspended;
  if (trayIcon && size <= 18) return ":/hopwise/icons/" + name + "-16.svg";
  if (trayIcon && size <= 24) return ":/hopwise/icons/" + name + "-22.svg";
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
    QPixmap pixmap = Render(PathForSize(number, name, size), size);
    if (pixmap.isNull()) return {};
    icon.addPixmap(pixmap);
  }
  return icon;
}
