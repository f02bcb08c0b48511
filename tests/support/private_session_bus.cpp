#include "support/private_session_bus.h"

#include <unistd.h>

#include <cstdlib>
#include <vector>

std::unique_ptr<ChildProcess> StartPrivateSessionBus(std::string& address) {
  address.clear();
  for (const char* program : {"/usr/bin/dbus-daemon", "/bin/dbus-daemon"}) {
    if (::access(program, X_OK) != 0) continue;
    auto daemon = std::make_unique<ChildProcess>(
        program, std::vector<std::string>{"--session", "--nofork", "--print-address=1"});
    if (daemon->WaitForLine("unix:")) {
      address = daemon->Lines().back();
      ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
    }
    return daemon;
  }
  return nullptr;
}
