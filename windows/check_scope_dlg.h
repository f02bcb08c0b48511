#pragma once

#include <QDialog>

class QRadioButton;

// "Check for updates...": what an update check covers, all PageMarks of the window or only the
// selected ones. The first choice is preselected; the Sites and Topics windows name their second
// choice their own way.
class CCheckScopeDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CCheckScopeDlg(QWidget* parent = nullptr);

  // The second choice reads "Check Selected Site Only".
  void SetForSite();
  // The second choice reads "Check Selected Topic Only".
  void SetForTopic();
  // After OK: 0 for all, 1 for the selected only; -1 before.
  int Scope() const { return scope_; }

  QRadioButton* AllChoice() const { return all_; }
  QRadioButton* SelectedChoice() const { return selected_; }

  void accept() override;

 private:
  QRadioButton* all_;
  QRadioButton* selected_;
  int scope_ = -1;
};
