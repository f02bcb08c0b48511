#include "platform/qt/qt_message_boxes.h"

#include <QMessageBox>

void QtMessageBoxes::Ok(const std::string& text) {
  QMessageBox::information(nullptr, "Hopwise", QString::fromStdString(text), QMessageBox::Ok);
}

bool QtMessageBoxes::YesNo(const std::string& text) {
  return QMessageBox::question(nullptr, "Hopwise", QString::fromStdString(text),
                               QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}
