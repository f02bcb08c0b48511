#pragma once

#include <QTimer>
#include <QWidget>

// Shown once when the desktop has no system tray: it says so, offers the two menus and "Exit",
// and goes away by itself when a tray appears (the icon then shows there as usual).
class NoTrayWindow : public QWidget {
  Q_OBJECT

 public:
  explicit NoTrayWindow(QWidget* parent = nullptr);

 signals:
  void mainMenuRequested(QPoint where);
  void quickMenuRequested(QPoint where);
  void exitRequested();

 private:
  QTimer trayWatch_;
};
