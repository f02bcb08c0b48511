#pragma once

#include <memory>
#include <string>

#include "support/child_process.h"

// Starts a dbus-daemon of its own as the session bus and points DBUS_SESSION_BUS_ADDRESS at it;
// call it before Qt reads that variable. address is left empty when no daemon could be started.
std::unique_ptr<ChildProcess> StartPrivateSessionBus(std::string& address);
