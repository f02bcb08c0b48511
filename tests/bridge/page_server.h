#pragma once

#include <httplib.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace bridgetest {

// A web server on 127.0.0.1 (a free port) serving fixed HTML pages, for the browser to load.
class PageServer {
 public:
  struct Page {
    std::string path;  // a pattern: "/wiki/.*"
    std::string html;
    int delayMs = 0;     // the body comes this long after the headers: the page loads slowly
    bool gated = false;  // not answered before OpenGate() (30 s at most)
  };

  explicit PageServer(const std::vector<Page>& pages);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  bool Listening() const { return port_ > 0; }
  std::string Url(const std::string& path) const;
  void OpenGate() { gateOpen_ = true; }

 private:
  std::atomic<bool> gateOpen_{false};
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace bridgetest
