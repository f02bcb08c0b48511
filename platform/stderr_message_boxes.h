#pragma once

#include <cstdio>
#include <string>

#include "platform/message_boxes.h"

// Messages written to stderr, one "Hopwise: " line each (a line break in the text becomes a
// blank): used at the end of a session, when no message box may hold the process. Questions are
// answered No.
class StderrMessageBoxes : public MessageBoxes {
 public:
  void Ok(const std::string& text) override {
    std::string line = text;
    for (char& c : line)
      if (c == '\n') c = ' ';
    std::fprintf(stderr, "Hopwise: %s\n", line.c_str());
  }
  bool YesNo(const std::string& text) override {
    Ok(text);
    return false;
  }
};
