#include "windows/browser_import_offer.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {

constexpr int kMargin = 16;
// Room for a panel along the bottom edge that the screen's available area does not leave out (a
// tray without a window manager).
constexpr int kBottomMargin = 48;

}  // namespace

CBrowserImportOffer::CBrowserImportOffer(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Hopwise"));
  setAttribute(Qt::WA_ShowWithoutActivating);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(QStringLiteral("Bring in your browser's history and bookmarks?"), this));
  auto* buttons = new QHBoxLayout;
  yes_ = new QPushButton(QStringLiteral("Bring In..."), this);
  no_ = new QPushButton(QStringLiteral("No, Thanks"), this);
  buttons->addStretch();
  buttons->addWidget(yes_);
  buttons->addWidget(no_);
  layout->addLayout(buttons);
  for (auto [button, yes] : {std::pair{yes_, true}, std::pair{no_, false}}) {
    connect(button, &QPushButton::clicked, this, [this, yes = yes] {
      emit answered(yes);
      close();
    });
  }
}

void CBrowserImportOffer::ShowInCorner() {
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    move(area.right() - width() - kMargin, area.bottom() - height() - kBottomMargin);
  }
  show();
}
