#include "platform/qt/qt_message_boxes.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QThread>

#include "platform/stderr_message_boxes.h"

namespace {

// On a platform with nobody to see a box (offscreen, minimal) a modal box would wait for ever.
bool NobodyToSee() {
  const QString platform = QGuiApplication::platformName();
  return platform == "offscreen" || platform == "minimal";
}

bool OnMainThread() {
  QCoreApplication* app = QCoreApplication::instance();
  return !app || QThread::currentThread() == app->thread();
}

void ShowOk(const QString& text) {
  QMessageBox::information(nullptr, "Hopwise", text, QMessageBox::Ok);
}

}  // namespace

// Message boxes belong to the main thread. A worker (the background save) only posts its message:
// it must not wait for the main thread, which may itself be waiting for the worker to end.
void QtMessageBoxes::Ok(const std::string& text) {
  if (NobodyToSee()) return StderrMessageBoxes().Ok(text);
  QString message = QString::fromStdString(text);
  if (OnMainThread()) {
    ShowOk(message);
  } else {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [message] { ShowOk(message); }, Qt::QueuedConnection);
  }
}

bool QtMessageBoxes::YesNo(const std::string& text) {
  if (NobodyToSee()) return StderrMessageBoxes().YesNo(text);
  bool yes = false;
  auto ask = [&] {
    yes = QMessageBox::question(nullptr, "Hopwise", QString::fromStdString(text),
                                QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  };
  if (OnMainThread()) {
    ask();
  } else {
    QMetaObject::invokeMethod(QCoreApplication::instance(), ask, Qt::BlockingQueuedConnection);
  }
  return yes;
}
