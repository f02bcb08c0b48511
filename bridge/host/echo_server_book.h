#pragma once

#include <map>
#include <string>
#include <vector>

namespace bridge {

// A program that receives echoes, as the bridge hands it on: its service name, and the identity of
// the socket behind the name when it registered (empty when there was none to see).
struct ServerMark {
  std::string name;
  std::string id;

  bool operator==(const ServerMark&) const = default;
};

// The programs this bridge echoes to, each known by the socket that serves its name. A program
// that registers again while the same socket serves its name has had every page already; a new
// socket is a new program (Hopwise started again), which is to get the pages on screen.
class EchoServerBook {
 public:
  explicit EchoServerBook(std::string runtimeDir) : dir(std::move(runtimeDir)) {}

  // The program serving this name registered; true when it is new to the bridge.
  bool Register(const std::string& name);
  void Unregister(const std::string& name);
  // Programs that an earlier host of this browser, or the bridge this one took over from, echoed
  // to: those whose socket still serves the name are taken on, and returned.
  std::vector<std::string> TakeOver(const std::vector<ServerMark>& marks);
  std::vector<ServerMark> Marks() const;

  // "device:inode:change time" of the socket file behind the name; empty when there is none.
  static std::string SocketIdentity(const std::string& runtimeDir, const std::string& name);

 private:
  std::string dir;
  std::map<std::string, ServerMark> servers;  // by name in capitals: names match in any case
};

}  // namespace bridge
