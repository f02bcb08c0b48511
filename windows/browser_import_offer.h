#pragma once

#include <QDialog>

class QPushButton;

// The one offer at a first start with an empty store: "Bring in your browser's history and
// bookmarks?" in a small window in a corner of the screen that takes no keyboard focus from what
// the user does, with "Bring In..." and "No, Thanks". Each answer closes it and is told once;
// closing it otherwise answers nothing (it may come at the next start with an empty store).
class CBrowserImportOffer : public QDialog {
  Q_OBJECT

 public:
  explicit CBrowserImportOffer(QWidget* parent = nullptr);

  QPushButton* YesButton() const { return yes_; }
  QPushButton* NoButton() const { return no_; }

  // Shows it in the bottom right corner of the primary screen, without taking the focus.
  void ShowInCorner();

 signals:
  void answered(bool yes);

 private:
  QPushButton* yes_ = nullptr;
  QPushButton* no_ = nullptr;
};
