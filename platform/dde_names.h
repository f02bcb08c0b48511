#pragma once

#include <optional>
#include <string>

// Where the transport's sockets live and how a service name becomes a socket file name.
namespace dde::names {

// $XDG_RUNTIME_DIR/hopwise-dde when XDG_RUNTIME_DIR is an absolute path, else /tmp/hopwise-dde-UID.
std::string DefaultRuntimeDir();

// Makes the folder (mode 0700) when it is missing and checks it: a real directory, not a symbolic
// link, owned by this user, no group or other permission bits. False when it cannot be used.
bool PrepareRuntimeDir(const std::string& dir);

// The socket file name for a service name: ASCII letters lower-cased, so that names match without
// regard to case; a-z, 0-9, '_' and '-' kept; every other byte written as '%' and two lower-case
// hex digits ("Net/Scape" -> "net%2fscape"). Nothing for the empty name.
std::optional<std::string> SocketFileName(const std::string& service);

// dir + "/" + the socket file name; nothing when the name is empty or the path does not fit a
// Unix socket address (107 bytes).
std::optional<std::string> SocketPath(const std::string& dir, const std::string& service);

}  // namespace dde::names
