#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>
#include <utility>

// A modal dialog of a window, made as the window's child and deleted when this object goes.
// The window may be deleted while the dialog runs (the program is ending under it): the dialog
// goes with it, Exec() says kWindowGone, and the caller must then return without touching the
// window.
template <typename Dialog>
class ModalDialog {
 public:
  enum class Outcome { kAccepted, kRejected, kWindowGone };

  // The dialog is made with args followed by the window as its parent.
  template <typename... Args>
  explicit ModalDialog(QWidget& window, Args&&... args)
      : window_(&window), dialog_(new Dialog(std::forward<Args>(args)..., &window)) {}
  ~ModalDialog() { delete dialog_.data(); }
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  Outcome Exec() {
    const int result = dialog_->exec();
    if (!window_ || !dialog_) return Outcome::kWindowGone;
    return result == QDialog::Accepted ? Outcome::kAccepted : Outcome::kRejected;
  }
  Dialog* operator->() const { return dialog_.data(); }

 private:
  QPointer<QWidget> window_;
  QPointer<Dialog> dialog_;
};
