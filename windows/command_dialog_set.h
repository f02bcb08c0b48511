#pragma once

#include <QDialog>
#include <QPointer>
#include <map>

#include "platform/message_boxes.h"
#include "shell/command_dialogs.h"
#include "store/prefs.h"

// The dialogs of the quick commands as real windows: "Open URL...", "Quick Search...", the About
// box and "Hopwise Preferences". Each is modal to the application, shown without a nested event
// loop, at most one of each at a time, and deletes itself when it closes. Main thread only.
class CommandDialogSet : public CommandDialogs {
 public:
  enum class Which { kOpenUrl, kQuickSearch, kAbout, kPreferences };

  CommandDialogSet(CPrefs& prefs, MessageBoxes& messages);
  // Closes every open dialog (see CloseAll).
  ~CommandDialogSet() override;
  CommandDialogSet(const CommandDialogSet&) = delete;
  CommandDialogSet& operator=(const CommandDialogSet&) = delete;

  void AskUrl(TextAnswer onOk) override;
  void AskSearchKeywords(TextAnswer onOk) override;
  void ShowAbout() override;
  void AskPreferences(std::function<void()> browserChosen,
                      std::function<void(const PreferenceChoices&)> onOk) override;

  // The open dialog of a command, or null.
  QDialog* Dialog(Which which) const;
  // Deletes every open dialog at once, without an answer (program shutdown).
  void CloseAll();

 private:
  // Brings the open dialog of a command to the front; false when there is none.
  bool BringForward(Which which) const;
  void Show(Which which, QDialog* dialog);

  CPrefs& prefs_;
  MessageBoxes& messages_;
  std::map<Which, QPointer<QDialog>> open_;
};
