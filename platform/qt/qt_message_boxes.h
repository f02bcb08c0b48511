#pragma once

#include "platform/message_boxes.h"

// Message boxes shown with QMessageBox, titled "Hopwise".
class QtMessageBoxes : public MessageBoxes {
 public:
  void Ok(const std::string& text) override;
  bool YesNo(const std::string& text) override;
};
