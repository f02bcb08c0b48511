#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/http_client.h"

// The HttpClient on libcurl. https is checked against the system's certificate store; a
// certificate that fails the check fails the request. The proxy is the one the environment names
// (http_proxy, https_proxy, no_proxy). A connected server that stays silent for longer than the
// session's answer time-out fails the request, and so does a request still running at its deadline,
// however slowly its answer comes in.
//
// libcurl is set up for the process at the first session opened, on whichever thread (once; the
// set-up of libcurl 7.84 and later is thread-safe), so that a program does not pay for it at start.
class CurlHttpClient : public HttpClient {
 public:
  // extraCaFile: a PEM file of certificates to trust besides the system's (tests); empty: none. It
  // takes the place of the system's bundle file; the system's certificate folder stays in use.
  explicit CurlHttpClient(std::string extraCaFile = {});
  ~CurlHttpClient() override;
  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  std::unique_ptr<HttpSession> OpenSession(const HttpSessionOptions& options) override;

 private:
  bool Ready();

  std::string extraCaFile_;
  std::once_flag setUp_;
  bool ready_ = false;
};
