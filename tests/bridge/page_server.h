#pragma once

#include <httplib.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace bridgetest {

// A web server on 127.0.0.1 (a free port) serving fixed HTML pages, for the browser to load.
class PageServer {
 public:
  using Page = std::pair<std::string, std::string>;  // path, HTML

  explicit PageServer(const std::vector<Page>& pages);
  ~PageServer();
  PageServer(const PageServer&) = delete;
  PageServer& operator=(const PageServer&) = delete;

  bool Listening() const { return port_ > 0; }
  std::string Url(const std::string& path) const;

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

}  // namespace bridgetest
