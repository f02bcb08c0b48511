#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

// Shown when the desktop has no system tray: it says so, offers the two menus and "Exit", and goes
// away by itself when a tray appears (the icon then shows there as usual). When the user closes
// it, the close question decides: Hopwise ends (exitRequested) or runs on without the window.
class NoTrayWindow : public QWidget {
  Q_OBJECT

 public:
  explicit NoTrayWindow(QWidget* parent = nullptr);

  // Asked when the user closes the window: true to end Hopwise, false to keep it running.
  void SetCloseQuestion(std::function<bool()> askExit) { askExit_ = std::move(askExit); }

 signals:
  void mainMenuRequested(QPoint where);
  void quickMenuRequested(QPoint where);
  void exitRequested();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QTimer trayWatch_;
  std::function<bool()> askExit_;
  bool closingByItself_ = false;
};
