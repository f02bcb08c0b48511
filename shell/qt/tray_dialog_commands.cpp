#include "shell/qt/tray_dialog_commands.h"

#include <QPointer>

#include "shell/preferences_command.h"
#include "shell/quick_search.h"

TrayDialogCommands::TrayDialogCommands(CommandDialogs& dialogs, CPrefs& prefs, PageMarkStore& store,
                                       PopupMenus& menus, UrlOpener& opener, QObject* parent)
    : QObject(parent), dialogs_(dialogs), prefs_(prefs), store_(store), menus_(menus), opener_(opener) {}

void TrayDialogCommands::OnAbout() {
  dialogs_.ShowAbout();
}

// "Change" stores the browser at once, so it is saved at once too; the other choices are applied
// on OK and saved then.
void TrayDialogCommands::OnPreferences() {
  QPointer<TrayDialogCommands> self(this);
  dialogs_.AskPreferences(
      [self] {
        if (self) emit self->preferencesChanged();
      },
      [self](const PreferenceChoices& chosen) {
        if (!self) return;
        PreferencesCommand(chosen, self->prefs_, self->store_, self->menus_);
        emit self->preferencesChanged();
      });
}

// The typed text, unchanged, goes the way of a page chosen from a menu: to the connected browser,
// or to the browser program as its one argument when none answers (an empty text starts the
// program with none, or brings the connected browser forward). No shell sees the text.
void TrayDialogCommands::OnOpenTypedUrl() {
  QPointer<TrayDialogCommands> self(this);
  dialogs_.AskUrl([self](const std::string& url) {
    if (self) self->opener_.OpenInBrowser(url);
  });
}

// Keywords that are only blanks search for nothing.
void TrayDialogCommands::OnQuickSearch() {
  QPointer<TrayDialogCommands> self(this);
  dialogs_.AskSearchKeywords([self](const std::string& keywords) {
    if (!self) return;
    const std::string address = QuickSearchAddress(self->prefs_.searchAddress, keywords);
    if (!address.empty()) self->opener_.OpenInBrowser(address);
  });
}
