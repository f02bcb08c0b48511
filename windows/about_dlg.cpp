#include "windows/about_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "resources/icons.h"
#include "resources/resource_ids.h"

namespace {

constexpr int kPictureSize = 64;

QLabel* Picture(int number, QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setPixmap(LoadIconResource(number).pixmap(kPictureSize, kPictureSize));
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(kAboutTitle);
  auto* headline = new QLabel(kAboutHeadline, this);
  QFont bold = headline->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  headline->setFont(bold);
  auto* list = new QLabel(kAboutList, this);

  auto* pictures = new QHBoxLayout;
  for (int number : {res::kPictureRevisit, res::kPictureSites, res::kPictureTopics})
    pictures->addWidget(Picture(number, this));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(headline);
  layout->addSpacing(6);
  layout->addLayout(pictures);
  layout->addSpacing(6);
  layout->addWidget(list);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
