#include "windows/command_dialog_set.h"

#include "windows/about_dlg.h"
#include "windows/preferences_dlg.h"
#include "windows/text_dialogs.h"

CommandDialogSet::CommandDialogSet(CPrefs& prefs, MessageBoxes& messages)
    : prefs_(prefs), messages_(messages) {}

CommandDialogSet::~CommandDialogSet() {
  CloseAll();
}

void CommandDialogSet::AskUrl(TextAnswer onOk) {
  if (BringForward(Which::kOpenUrl)) return;
  auto* dialog = new COpenUrlDlg(messages_);
  QObject::connect(dialog, &QDialog::accepted, [dialog, onOk] { onOk(dialog->Url()); });
  Show(Which::kOpenUrl, dialog);
}

void CommandDialogSet::AskSearchKeywords(TextAnswer onOk) {
  if (BringForward(Which::kQuickSearch)) return;
  auto* dialog = new CQuickSearchDlg(messages_);
  QObject::connect(dialog, &QDialog::accepted, [dialog, onOk] { onOk(dialog->Keywords()); });
  Show(Which::kQuickSearch, dialog);
}

void CommandDialogSet::ShowAbout() {
  if (!BringForward(Which::kAbout)) Show(Which::kAbout, new CAboutDlg);
}

void CommandDialogSet::AskPreferences(std::function<void()> browserChosen,
                                      std::function<void(const PreferenceChoices&)> onOk) {
  if (BringForward(Which::kPreferences)) return;
  auto* dialog = new CPreferencesDlg(prefs_, messages_, std::move(browserChosen));
  QObject::connect(dialog, &QDialog::accepted, [dialog, onOk] { onOk(dialog->Choices()); });
  Show(Which::kPreferences, dialog);
}

// A dialog that has closed is gone, even before it is deleted.
QDialog* CommandDialogSet::Dialog(Which which) const {
  auto found = open_.find(which);
  if (found == open_.end() || !found->second || !found->second->isVisible()) return nullptr;
  return found->second.data();
}

void CommandDialogSet::CloseAll() {
  for (auto& [which, dialog] : open_) delete dialog.data();
  open_.clear();
}

bool CommandDialogSet::BringForward(Which which) const {
  QDialog* dialog = Dialog(which);
  if (!dialog) return false;
  dialog->raise();
  dialog->activateWindow();
  return true;
}

void CommandDialogSet::Show(Which which, QDialog* dialog) {
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowModality(Qt::ApplicationModal);
  open_[which] = dialog;
  dialog->show();
  dialog->raise();
  dialog->activateWindow();
}
