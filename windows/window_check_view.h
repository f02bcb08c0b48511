#pragma once

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <string>

#include "checker/check_view.h"

// What every window shows of a check: the text of its status bar and the label of its File
// menu's checker item. The items themselves are the window's own (its subclass), and so is
// ClearVerdicts: a new run takes the marks of the last one away first, so that none looks current.
// Main thread.
class WindowCheckView : public CheckView {
 public:
  WindowCheckView(QLabel& status, QAction& menuItem) : status_(&status), menuItem_(&menuItem) {}

  void SetStatusText(const std::string& text) override {
    if (status_) status_->setText(QString::fromStdString(text));
  }
  void SetMenuLabel(const std::string& label) override {
    if (menuItem_) menuItem_->setText(QString::fromStdString(label));
  }
  virtual void ClearVerdicts() = 0;

 private:
  QPointer<QLabel> status_;
  QPointer<QAction> menuItem_;
};
