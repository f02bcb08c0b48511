#include "windows/check_scope_dlg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

CCheckScopeDlg::CCheckScopeDlg(QWidget* parent)
    : QDialog(parent),
      all_(new QRadioButton("Check all PageMarks in this window", this)),
      selected_(new QRadioButton("Check selected PageMarks only", this)) {
  setWindowTitle("Check for updates...");
  all_->setChecked(true);
  auto* choices = new QVBoxLayout;
  choices->addWidget(all_);
  choices->addWidget(selected_);
  choices->addStretch();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(choices, 1);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CCheckScopeDlg::SetForSite() {
  selected_->setText("Check Selected Site Only");
}

void CCheckScopeDlg::SetForTopic() {
  selected_->setText("Check Selected Topic Only");
}

void CCheckScopeDlg::accept() {
  scope_ = selected_->isChecked() ? 1 : 0;
  QDialog::accept();
}
