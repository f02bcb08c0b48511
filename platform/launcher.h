#pragma once

#include <string>

// Starts a program the way the platform's "open" action does: the program file, one argument text
// (may be empty, then no argument is passed) and a working directory. Never through a shell.
// The browser program is started through StartBrowserProgram (browser/browser_program.h) only, which
// refuses what must not reach it as an option.
class Launcher {
 public:
  virtual ~Launcher() = default;
  // Returns false when the program could not be started; callers mostly ignore it.
  virtual bool Launch(const std::string& program, const std::string& argument,
                      const std::string& directory) = 0;
};
