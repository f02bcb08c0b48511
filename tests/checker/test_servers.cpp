#include "checker/test_servers.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>

#include "support/http_date_text.h"

namespace checkertest {

namespace {

using httplib::Request;
using httplib::Response;

// count bytes of body in small chunks; without end when count is negative.
void ChunkedBody(Response& res, long long count) {
  auto left = std::make_shared<long long>(count);
  res.set_chunked_content_provider("text/plain", [left](size_t, httplib::DataSink& sink) {
    static const std::string block(65536, 'x');
    const size_t n = *left < 0 ? block.size() : static_cast<size_t>(std::min(*left, 100LL));
    if (n == 0) sink.done();
    if (*left > 0) *left -= static_cast<long long>(n);
    return n == 0 || sink.write(block.data(), n);
  });
}

sockaddr_in Loopback(int port, const std::string& host = "127.0.0.1") {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  inet_pton(AF_INET, host.c_str(), &address.sin_addr);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

// A socket listening on a free port of host.
int Listen(int backlog, int& port, const std::string& host = "127.0.0.1") {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address = Loopback(0, host);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  listen(fd, backlog);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

}  // namespace

TestServer::TestServer(bool secure, const std::string& host) {
  const std::string data = HOPWISE_TEST_DATA "/checker/localhost.";
  if (secure)
    server_ = std::make_unique<httplib::SSLServer>((data + "crt").c_str(), (data + "key").c_str());
  else
    server_ = std::make_unique<httplib::Server>();
  AddRoutes();
  const int port = server_->bind_to_any_port(host);
  base_ = std::string(secure ? "https" : "http") + "://" + host + ":" + std::to_string(port);
  if (port > 0) thread_ = std::thread([this] { server_->listen_after_bind(); });
}

TestServer::~TestServer() {
  // cpp-httplib 0.11 has no wait_until_ready(): a stop() before the loop runs would be missed.
  for (int i = 0; i < 200 && thread_.joinable() && !server_->is_running(); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  server_->stop();
  if (thread_.joinable()) thread_.join();
}

std::vector<std::string> TestServer::Seen() const {
  std::lock_guard lock(mutex_);
  return seen_;
}

int TestServer::MostAtGate() const {
  std::lock_guard lock(mutex_);
  return mostAtGate_;
}

// Holds each request until 3 are held or 300 ms have passed.
void TestServer::PassGate(Response& res) {
  std::unique_lock lock(mutex_);
  mostAtGate_ = std::max(mostAtGate_, ++atGate_);
  gateChanged_.notify_all();
  gateChanged_.wait_for(lock, std::chrono::milliseconds(300), [this] { return atGate_ >= 3; });
  --atGate_;
  res.set_header("Last-Modified", HttpDateText(0));
  res.set_content("gate", "text/plain");
}

void TestServer::AddRoutes() {
  httplib::Server& s = *server_;
  s.set_pre_routing_handler([this](const Request& req, Response&) {
    std::lock_guard lock(mutex_);
    seen_.push_back(req.method + " " + req.path + " " + req.version + "|" +
                    req.get_header_value("User-Agent") + "|" + req.get_header_value("Pragma") + "|" +
                    req.get_header_value("Accept"));
    return httplib::Server::HandlerResponse::Unhandled;
  });
  s.Get(R"(/dated/(-?\d+))", [](const Request& req, Response& res) {
    res.set_header("Last-Modified", HttpDateText(std::stoll(req.matches[1])));
    res.set_content("dated", "text/plain");
  });
  s.Get("/date", [](const Request& req, Response& res) {
    res.set_header("Last-Modified", req.get_param_value("v"));
    res.set_content("dated", "text/plain");
  });
  s.Get(R"(/sized/(\d+))", [](const Request& req, Response& res) {
    res.set_content(std::string(std::stoul(req.matches[1]), 'x'), "text/plain");
  });
  s.Get(R"(/chunked/(\d+))",
        [](const Request& req, Response& res) { ChunkedBody(res, std::stoll(req.matches[1])); });
  s.Get("/endless", [](const Request&, Response& res) { ChunkedBody(res, -1); });
  s.Get("/trickle", [](const Request&, Response& res) {
    res.set_chunked_content_provider("text/plain", [](size_t, httplib::DataSink& sink) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      return sink.write("x", 1);
    });
  });
  s.Get("/gate", [this](const Request&, Response& res) { PassGate(res); });
  s.Get(R"(/hold/(\d+))", [](const Request& req, Response& res) {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::stoi(req.matches[1])));
    res.set_header("Last-Modified", HttpDateText(0));
    res.set_content("held", "text/plain");
  });
  s.Get("/missing", [](const Request&, Response& res) {
    res.status = 404;
    res.set_header("Last-Modified", "Wed, 01 Jan 2031 00:00:00 GMT");
    res.set_content("missing", "text/plain");
  });
  s.Get(R"(/moved(/.*))", [](const Request& req, Response& res) { res.set_redirect(req.matches[1].str()); });
  s.Get("/loop", [](const Request&, Response& res) { res.set_redirect("/loop"); });
}

int ClosedPort() {
  int port = 0;
  close(Listen(1, port));
  return port;
}

SilentServer::SilentServer(bool fullQueue, const std::string& host) : host_(host) {
  listener_ = Listen(fullQueue ? 0 : 16, port_, host);
  if (fullQueue) {
    const sockaddr_in address = Loopback(port_, host);
    for (int i = 0; i < 4; ++i) {
      sockets_.push_back(socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0));
      connect(sockets_.back(), reinterpret_cast<const sockaddr*>(&address), sizeof address);
    }
    return;
  }
  thread_ = std::thread([this] {
    while (!ending_) {
      pollfd listening{listener_, POLLIN, 0};
      if (poll(&listening, 1, 20) <= 0) continue;
      sockets_.push_back(accept(listener_, nullptr, nullptr));
      accepted.Set();
    }
  });
}

SilentServer::~SilentServer() {
  ending_ = true;
  if (thread_.joinable()) thread_.join();
  for (int fd : sockets_) close(fd);
  close(listener_);
}

}  // namespace checkertest
