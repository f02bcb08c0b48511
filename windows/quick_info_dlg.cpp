#include "windows/quick_info_dlg.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "windows/shown_text.h"

CQuickInfoDlg::CQuickInfoDlg(const WindowServices& services, const CPez& page, Form form, QWidget* parent)
    : QDialog(parent),
      services_(services),
      page_(&page),
      title_(new QLineEdit(QString::fromStdString(page.title), this)),
      url_(new QLineEdit(QString::fromStdString(page.url), this)),
      sendToTopics_(new QCheckBox("Send To Topics?", this)),
      go_(new QPushButton("Go!", this)) {
  setWindowTitle("PageMark Quick Info");
  setWindowIcon(LoadIconResource(res::kIconPageMark));
  BuildLayout(page);
  go_->setVisible(form == Form::kModeless);
  connect(go_, &QPushButton::clicked, this, &CQuickInfoDlg::OnGo);
  if (form == Form::kModeless) connect(this, &QDialog::finished, this, &QObject::deleteLater);
  storeSubscription_ = services_.store.Subscribe(*this);
}

CQuickInfoDlg::~CQuickInfoDlg() = default;

void CQuickInfoDlg::BuildLayout(const CPez& page) {
  url_->setReadOnly(true);
  url_->setCursorPosition(0);
  title_->setMinimumWidth(420);
  auto* facts = new QFormLayout;
  facts->addRow("URL:", url_);
  facts->addRow("Last Access:", new QLabel(FormatVisitTime(page.lastVisited), this));
  facts->addRow("First Access:", new QLabel(FormatVisitTime(page.firstVisited), this));
  auto* left = new QVBoxLayout;
  left->addWidget(title_);
  left->addLayout(facts);
  left->addWidget(sendToTopics_);
  left->addStretch();
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
  buttons->addButton(go_, QDialogButtonBox::ActionRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 1);
  layout->addWidget(buttons);
}

void CQuickInfoDlg::OnGo() {
  if (page_) services_.opener.OpenInBrowser(page_->url);
  accept();
}

void CQuickInfoDlg::accept() {
  if (!page_) return reject();
  const std::string title = title_->text().toStdString();
  if (!title.empty() && title != page_->title) services_.store.EditPageMark(page_, title, page_->url);
  if (page_ && sendToTopics_->isChecked()) services_.topics.AppendTopLevelLink(page_->title, page_->url);
  QDialog::accept();
}

void CQuickInfoDlg::Gone() {
  page_ = nullptr;
  reject();
}

void CQuickInfoDlg::OnPageMarkRemoved(const CPez& p) {
  if (&p == page_) Gone();
}

void CQuickInfoDlg::OnStoreReset() {
  Gone();
}
