#include "app/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QLibraryInfo>
#include <QString>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool XDisplayAnswers() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool ok = connection && xcb_connection_has_error(connection) == 0;
  if (connection) xcb_disconnect(connection);
  return ok;
}

bool WaylandSocketAnswers(const std::string& display) {
  const std::string path = display.front() == '/' ? display : Env("XDG_RUNTIME_DIR") + "/" + display;
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return ok;
}

bool HaveWaylandPlugin() {
  const std::string plugins = QLibraryInfo::path(QLibraryInfo::PluginsPath).toStdString();
  std::error_code ec;
  return std::filesystem::exists(plugins + "/platforms/libqwayland-generic.so", ec);
}

}  // namespace

std::optional<std::string> DisplayProblem() {
  if (!Env("QT_QPA_PLATFORM").empty()) return std::nullopt;
  const std::string wayland = Env("WAYLAND_DISPLAY");
  const std::string x = Env("DISPLAY");
  if (!wayland.empty() && WaylandSocketAnswers(wayland) && HaveWaylandPlugin()) {
    ::setenv("QT_QPA_PLATFORM", "wayland", 0);
    return std::nullopt;
  }
  if (!x.empty()) {
    if (XDisplayAnswers()) return std::nullopt;
    return "Hopwise cannot reach the display \"" + x + "\": no X server answers there.";
  }
  if (!wayland.empty())
    return HaveWaylandPlugin()
               ? "Hopwise cannot reach the Wayland display \"" + wayland + "\"."
               : "Hopwise cannot use this Wayland session: Qt's Wayland plugin (Debian package "
                 "qt6-wayland) is not installed.";
  return "Hopwise needs a graphical desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set).";
}
