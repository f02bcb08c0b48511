#pragma once

#include <QDialog>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "platform/message_boxes.h"
#include "shell/preference_rules.h"
#include "store/prefs.h"

class PageMarkCountBox;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "Hopwise Preferences": the number of PageMarks to track, what the main menu contains, the link
// menus, how Sites are formed, whether https pages are checked, how often watched pages are checked, the
// search service (offered by name, with its address as the tooltip; any other address can be typed), and the
// browser program. It changes nothing itself but the browser: "Change" lets the user pick the program
// ("Choose the browser program", opening on the current one), stores it in the preferences at once (Cancel
// does not undo it) and tells browserChosen. OK refuses a number that is not an integer from 50 to 1500 with
// a message and stays open; otherwise Choices() holds what the user chose.
// "Start Hopwise when I log in" shows whether the log-in entry is there; OK writes or removes it
// when the box changed (a failure says why and the dialog stays open).
class CPreferencesDlg : public QDialog {
  Q_OBJECT

 public:
  // Asks for a program file, starting at the current program (its path, or a folder, or empty);
  // an empty text when the user cancels.
  using ProgramChooser = std::function<QString(QWidget* parent, const QString& current)>;

  CPreferencesDlg(CPrefs& prefs, MessageBoxes& messages, std::function<void()> browserChosen,
                  QWidget* parent = nullptr);

  // Qt's file dialog unless a test puts another chooser in its place.
  void SetProgramChooser(ProgramChooser chooser) { chooser_ = std::move(chooser); }
  const PreferenceChoices& Choices() const { return choices_; }

  void accept() override;

  PageMarkCountBox* Count() const { return count_; }
  QRadioButton* SitesButton() const { return sites_; }
  QRadioButton* TopicsButton() const { return topics_; }
  QCheckBox* PowerUserBox() const { return powerUser_; }
  QCheckBox* SimpleSitesBox() const { return simpleSites_; }
  QCheckBox* ModernSitesBox() const { return modernSites_; }
  QCheckBox* SecurePagesBox() const { return securePages_; }
  QSpinBox* WatchHours() const { return watchHours_; }
  QComboBox* SearchAddress() const { return search_; }
  QLineEdit* Browser() const { return browser_; }
  QPushButton* ChangeButton() const { return change_; }
  QCheckBox* StartAtLogInBox() const { return startAtLogIn_; }

 private:
  void BuildLayout();
  void ShowPreferences();
  void OnChange();
  void ShowSearchAddress();
  bool ApplyStartAtLogIn();

  CPrefs& prefs_;
  MessageBoxes& messages_;
  std::function<void()> browserChosen_;
  ProgramChooser chooser_;
  PreferenceChoices choices_;
  std::vector<SearchService> searchServices_;  // offered under "Search with:"
  PageMarkCountBox* count_;
  QRadioButton* sites_;
  QRadioButton* topics_;
  QCheckBox* powerUser_;
  QCheckBox* simpleSites_;
  QCheckBox* modernSites_;
  QCheckBox* securePages_;
  QSpinBox* watchHours_;
  QComboBox* search_;
  QLineEdit* browser_;
  QPushButton* change_;
  QCheckBox* startAtLogIn_;
  std::string autostartFile_;
};
