#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/message_boxes.h"

// Records every message shown and answers Yes/No questions with a preset answer.
class RecordingMessageBoxes : public MessageBoxes {
 public:
  void Ok(const std::string& text) override {
    std::lock_guard lock(mutex_);
    shown_.push_back(text);
  }
  bool YesNo(const std::string& text) override {
    std::lock_guard lock(mutex_);
    shown_.push_back(text);
    return answer_;
  }
  void AnswerYes(bool yes) { answer_ = yes; }
  std::vector<std::string> Shown() const {
    std::lock_guard lock(mutex_);
    return shown_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    shown_.clear();
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> shown_;
  bool answer_ = true;
};
