#pragma once

#include <string>

// Message boxes: every failure Hopwise reports to the user goes through here.
class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A message with an OK button; returns when the user has dismissed it.
  virtual void Ok(const std::string& text) = 0;
  // A Yes/No question; true for Yes.
  virtual bool YesNo(const std::string& text) = 0;
};
