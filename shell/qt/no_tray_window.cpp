#include "shell/qt/no_tray_window.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include "resources/icons.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kTrayWatchMs = 2000;
constexpr int kTextWidth = 460;

QPushButton* AddButton(QLayout& row, const QString& text) {
  auto* button = new QPushButton(text);
  row.addWidget(button);
  return button;
}

QPoint Below(const QWidget& widget) {
  return widget.mapToGlobal(QPoint(0, widget.height()));
}

}  // namespace

NoTrayWindow::NoTrayWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("Hopwise"));
  setWindowIcon(LoadIconResource(res::kIconActive));
  setObjectName(QStringLiteral("noTrayWindow"));
  auto* text = new QLabel(QStringLiteral(
      "<b>Hopwise is running, but this desktop shows no tray icons.</b><br>"
      "Its two menus are here instead. The icon appears by itself once the desktop has a system tray."));
  text->setWordWrap(true);
  text->setMinimumWidth(kTextWidth);
  auto* buttons = new QHBoxLayout;
  QPushButton* pages = AddButton(*buttons, QStringLiteral("&Pages and Sites"));
  QPushButton* commands = AddButton(*buttons, QStringLiteral("&Commands"));
  buttons->addStretch();
  QPushButton* exit = AddButton(*buttons, QStringLiteral("E&xit"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(text);
  layout->addLayout(buttons);

  connect(pages, &QPushButton::clicked, this, [this, pages] { emit mainMenuRequested(Below(*pages)); });
  connect(commands, &QPushButton::clicked, this,
          [this, commands] { emit quickMenuRequested(Below(*commands)); });
  connect(exit, &QPushButton::clicked, this, &NoTrayWindow::exitRequested);
  trayWatch_.setInterval(kTrayWatchMs);
  connect(&trayWatch_, &QTimer::timeout, this, [this] {
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
    closingByItself_ = true;
    close();
  });
  trayWatch_.start();
}

// The window goes either way; a window closed by mistake comes back with the next start.
void NoTrayWindow::closeEvent(QCloseEvent* event) {
  event->accept();
  if (!closingByItself_ && askExit_ && askExit_()) emit exitRequested();
}
