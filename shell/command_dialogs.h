#pragma once

#include <functional>
#include <string>

#include "shell/preference_rules.h"

// The dialogs of the quick commands, as the tray window asks for them. Each is modal to the
// application but runs in the main loop (no nested loop): a call shows the dialog and returns at
// once, and the answer comes later through the callback, only when the user chose OK. Asking for a
// dialog that is open brings it to the front instead. A dialog closed as the program ends answers
// nothing. The application hands an implementation to CTrayWnd. Main thread only.
class CommandDialogs {
 public:
  using TextAnswer = std::function<void(const std::string& text)>;

  virtual ~CommandDialogs() = default;
  // "Open URL...": the text typed, as it is (possibly empty).
  virtual void AskUrl(TextAnswer onOk) = 0;
  // "Quick Search...": the keywords typed.
  virtual void AskSearchKeywords(TextAnswer onOk) = 0;
  // The About box.
  virtual void ShowAbout() = 0;
  // "Hopwise Preferences" over the current preferences. Its "Change" button stores the chosen
  // browser program in the preferences at once and then calls browserChosen, whether or not the
  // dialog ends with OK; the other choices come back through onOk.
  virtual void AskPreferences(std::function<void()> browserChosen,
                              std::function<void(const PreferenceChoices&)> onOk) = 0;
};
