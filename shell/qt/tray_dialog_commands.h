#pragma once

#include <QObject>

#include "browser/url_opener.h"
#include "shell/command_dialogs.h"
#include "shell/popup_menus.h"

// The quick commands that ask something first: "Preferences...", "&Open URL...", "&Quick
// Search..." and "About Hopwise...". Their dialogs answer later, from the main loop; an answer
// that comes after this object is gone is dropped. Main thread only.
class TrayDialogCommands : public QObject {
  Q_OBJECT

 public:
  TrayDialogCommands(CommandDialogs& dialogs, CPrefs& prefs, PageMarkStore& store, PopupMenus& menus,
                     UrlOpener& opener, QObject* parent = nullptr);

  void OnAbout();
  void OnPreferences();
  void OnOpenTypedUrl();
  void OnQuickSearch();

 signals:
  // The preferences changed (the dialog's OK, or a browser chosen with its "Change"): time to save
  // them.
  void preferencesChanged();

 private:
  CommandDialogs& dialogs_;
  CPrefs& prefs_;
  PageMarkStore& store_;
  PopupMenus& menus_;
  UrlOpener& opener_;
};
