#pragma once

#include <httplib.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/event.h"

namespace checkertest {

// Pages on 127.0.0.1 (or another loopback address, another host to the checker), over http, or
// https with the certificate in tests/data/checker:
//   /dated/T      Last-Modified naming the instant T (seconds since 1970)
//   /date?v=TEXT  Last-Modified: TEXT
//   /sized/N      N bytes with a Content-Length, no Last-Modified
//   /chunked/N    N bytes without a Content-Length
//   /endless      a body without end
//   /trickle      a body without end, one byte every 100 ms
//   /gate         Last-Modified 1970, each request held until 3 are held or 300 ms have passed
//   /hold/MS      Last-Modified 1970, after MS milliseconds
//   /missing      404 with a Last-Modified in 2031
//   /moved/PATH   a redirect to /PATH;  /loop  a redirect to itself
class TestServer {
 public:
  explicit TestServer(bool secure = false, const std::string& host = "127.0.0.1");
  ~TestServer();
  std::string Url(const std::string& path) const { return base_ + path; }
  // Every request so far: "METHOD PATH VERSION|User-Agent|Pragma|Accept".
  std::vector<std::string> Seen() const;
  // The most requests held at /gate at once.
  int MostAtGate() const;

 private:
  void AddRoutes();
  void PassGate(httplib::Response& res);

  std::unique_ptr<httplib::Server> server_;
  std::string base_;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::vector<std::string> seen_;
  std::condition_variable gateChanged_;
  int atGate_ = 0, mostAtGate_ = 0;
};

// A port on 127.0.0.1 where nothing listens.
int ClosedPort();

// A black hole on host: takes connections and never answers; or, with fullQueue, keeps its queue
// of connections full and takes none, so that a new connection attempt hangs.
class SilentServer {
 public:
  explicit SilentServer(bool fullQueue, const std::string& host = "127.0.0.1");
  ~SilentServer();
  std::string Url() const { return "http://" + host_ + ":" + std::to_string(port_) + "/"; }
  Event accepted;  // set when a connection was taken

 private:
  std::string host_;
  int port_ = 0;
  int listener_;
  std::vector<int> sockets_;
  std::atomic<bool> ending_{false};
  std::thread thread_;
};

}  // namespace checkertest
