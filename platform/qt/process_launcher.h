#pragma once

#include "platform/launcher.h"

// Starts the program detached with QProcess: the argument text is one argument, never split
// and never given to a shell. A program name without a slash is looked up in the directory first,
// then on PATH.
class ProcessLauncher : public Launcher {
 public:
  bool Launch(const std::string& program, const std::string& argument, const std::string& directory) override;
};
