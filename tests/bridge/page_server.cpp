#include "bridge/page_server.h"

#include <chrono>

namespace bridgetest {

PageServer::PageServer(const std::vector<Page>& pages) {
  for (const auto& page : pages) {
    server_.Get(page.path, [this, page](const httplib::Request&, httplib::Response& res) {
      for (int i = 0; page.gated && !gateOpen_ && i < 1500; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (page.delayMs == 0) {
        res.set_content(page.html, "text/html; charset=utf-8");
        return;
      }
      res.set_chunked_content_provider("text/html; charset=utf-8", [page](size_t, httplib::DataSink& sink) {
        std::this_thread::sleep_for(std::chrono::milliseconds(page.delayMs));
        sink.write(page.html.data(), page.html.size());
        sink.done();
        return true;
      });
    });
  }
  port_ = server_.bind_to_any_port("127.0.0.1");
  if (port_ > 0) thread_ = std::thread([this] { server_.listen_after_bind(); });
}

PageServer::~PageServer() {
  // cpp-httplib 0.11 has no wait_until_ready(): a stop() before the loop runs would be missed.
  for (int i = 0; i < 200 && thread_.joinable() && !server_.is_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  server_.stop();
  if (thread_.joinable()) thread_.join();
}

std::string PageServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

}  // namespace bridgetest
