#include "bridge/host/echo_server_book.h"

#include <sys/stat.h>

#include <algorithm>

#include "platform/dde_names.h"

namespace bridge {
namespace {

std::string Key(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 32 : c); });
  return name;
}

}  // namespace

std::string EchoServerBook::SocketIdentity(const std::string& runtimeDir, const std::string& name) {
  const auto path = dde::names::SocketPath(runtimeDir, name);
  struct stat info {};
  if (!path || ::lstat(path->c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return {};
  return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino) + ":" +
         std::to_string(info.st_ctim.tv_sec) + "." + std::to_string(info.st_ctim.tv_nsec);
}

bool EchoServerBook::Register(const std::string& name) {
  const std::string id = SocketIdentity(dir, name);
  ServerMark& known = servers[Key(name)];
  const bool same = !id.empty() && known.id == id;
  known = ServerMark{name, id};
  return !same;
}

void EchoServerBook::Unregister(const std::string& name) {
  servers.erase(Key(name));
}

std::vector<std::string> EchoServerBook::TakeOver(const std::vector<ServerMark>& marks) {
  std::vector<std::string> taken;
  for (const auto& mark : marks) {
    if (mark.id.empty() || servers.count(Key(mark.name)) || SocketIdentity(dir, mark.name) != mark.id)
      continue;
    servers[Key(mark.name)] = mark;
    taken.push_back(mark.name);
  }
  return taken;
}

std::vector<ServerMark> EchoServerBook::Marks() const {
  std::vector<ServerMark> marks;
  for (const auto& [key, mark] : servers) marks.push_back(mark);
  return marks;
}

}  // namespace bridge
