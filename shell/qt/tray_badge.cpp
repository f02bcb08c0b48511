#include "shell/qt/tray_badge.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace {

QPixmap Badged(QPixmap pixmap, const QString& text) {
  const QSize size = pixmap.size() / pixmap.devicePixelRatio();
  const int diameter = std::max(8, size.height() * 11 / 20);
  const QRectF badge(size.width() - diameter, size.height() - diameter, diameter, diameter);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::white, std::max(1.0, diameter / 10.0)));
  painter.setBrush(QColor(0xd0, 0x20, 0x20));
  painter.drawEllipse(badge.adjusted(0.5, 0.5, -0.5, -0.5));
  if (diameter >= 10) {
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(std::max(6, diameter * 3 / 4 - (text.size() > 1 ? 2 : 0)));
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, text);
  }
  return pixmap;
}

}  // namespace

QIcon WithBadge(const QIcon& icon, int count) {
  if (count <= 0) return icon;
  const QString text = count > 9 ? QStringLiteral("9+") : QString::number(count);
  QIcon badged;
  for (const QSize& size : icon.availableSizes()) badged.addPixmap(Badged(icon.pixmap(size), text));
  return badged;
}
