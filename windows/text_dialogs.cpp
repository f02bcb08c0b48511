#include "windows/text_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>

std::string TypedAddress(const std::string& typed) {
  const QString text = QString::fromStdString(typed).trimmed();
  static const QRegularExpression kSchemed(
      QStringLiteral("^([a-z][a-z0-9+.-]*://|(mailto|about|javascript|data|news):)"),
      QRegularExpression::CaseInsensitiveOption);
  if (text.isEmpty() || kSchemed.match(text).hasMatch()) return text.toStdString();
  const QUrl url = QUrl::fromUserInput(text);
  if (!url.isValid() || url.scheme().isEmpty()) return typed;
  return url.toString(QUrl::FullyEncoded).toStdString();
}

TextFieldsDlg::TextFieldsDlg(const QString& title, const std::vector<Field>& fields, MessageBoxes& messages,
                             QWidget* parent)
    : QDialog(parent), messages_(messages) {
  setWindowTitle(title);
  auto* form = new QFormLayout;
  for (const Field& field : fields) {
    auto* edit = new QLineEdit(this);
    const QString preset = QString::fromStdString(field.preset);
    edit->setMaxLength(std::max(kTextFieldLimit, static_cast<int>(preset.size())));
    edit->setText(preset);
    edit->setMinimumWidth(360);
    form->addRow(field.label, edit);
    edits_.push_back(edit);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(form, 1);
  layout->addWidget(buttons);
  setSizeGripEnabled(false);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}

std::string TextFieldsDlg::Text(int i) const {
  return Edit(i) ? Edit(i)->text().toStdString() : std::string();
}

QLineEdit* TextFieldsDlg::Edit(int i) const {
  return i >= 0 && i < static_cast<int>(edits_.size()) ? edits_[static_cast<std::size_t>(i)] : nullptr;
}

void TextFieldsDlg::accept() {
  for (QLineEdit* edit : edits_) {
    if (edit->text().size() <= kTextFieldLimit) continue;
    messages_.Ok(QString::fromLatin1(kTooLongMessage).arg(kTextFieldLimit).toStdString());
    edit->setFocus();
    edit->selectAll();
    return;
  }
  QDialog::accept();
}

CNewPageMarkDlg::CNewPageMarkDlg(MessageBoxes& messages, QWidget* parent)
    : TextFieldsDlg("New PageMark", {{"Title:", {}}, {"URL:", {}}}, messages, parent) {}

CEditPageMarkDlg::CEditPageMarkDlg(const std::string& title, const std::string& url, MessageBoxes& messages,
                                   QWidget* parent)
    : TextFieldsDlg("Edit PageMark", {{"Title:", title}, {"URL:", url}}, messages, parent) {}

CNewTopicDlg::CNewTopicDlg(MessageBoxes& messages, QWidget* parent)
    : TextFieldsDlg("New Topic/Folder", {{"Title:", {}}}, messages, parent) {}

CEditTopicDlg::CEditTopicDlg(const std::string& name, MessageBoxes& messages, QWidget* parent)
    : TextFieldsDlg("Edit Topic/Folder", {{"Title:", name}}, messages, parent) {}

COpenUrlDlg::COpenUrlDlg(MessageBoxes& messages, QWidget* parent)
    : TextFieldsDlg("Open URL...", {{"URL:", {}}}, messages, parent) {}

CQuickSearchDlg::CQuickSearchDlg(MessageBoxes& messages, QWidget* parent)
    : TextFieldsDlg("Quick Search...", {{"Keywords:", {}}}, messages, parent) {}
