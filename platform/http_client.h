#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

// How a session talks to web servers. The proxy is always the system's own setting.
struct HttpSessionOptions {
  std::string userAgent;
  int connectTimeoutMs = 0;
  // How many times a connection to a server is tried before the request fails (the first try
  // counts); a name that cannot be resolved is not tried again.
  int connectRetries = 1;
  // How long a server may stay silent once connected: after the request went out, and between any
  // two pieces of its answer. 0: no limit.
  int answerTimeoutMs = 0;
};

// The instant by which a request must have ended; a request still running then fails.
using HttpDeadline = std::chrono::steady_clock::time_point;

enum class HttpVerb { kHead, kGet };

// What one request learned. Texts that the server did not send read as empty.
struct HttpResponse {
  std::string status;        // the final status code as text, "404"; empty when none was read
  std::string lastModified;  // the final Last-Modified header, as sent
  // GET: the body's length. The answer's Content-Length when it has one (the body is then not
  // read at all), else the count of body bytes read and thrown away, which stops at
  // kBodyCountLimit. HEAD: 0. The body itself is never kept.
  uint64_t bodyLength = 0;
  // No answer (kFailed): whether a time limit ended the request, and the transfer's own words
  // for what went wrong ("Couldn't connect to server").
  bool timedOut = false;
  std::string failure;
};

inline constexpr uint64_t kBodyCountLimit = 64ull * 1024 * 1024;

enum class HttpOutcome {
  kDone,     // an answer came; an unresolved chain of redirects also counts (its last status)
  kFailed,   // no answer: no connection, a failed certificate check, a broken transfer, a server
             // silent for too long, or the deadline reached
  kAborted,  // Abort() ended it
};

// One run's session. Requests go out as HTTP/1.0, with the session's agent and no Accept header,
// past every cache (the server answers itself, nothing is stored), and follow redirects. Each
// request has a connection of its own.
class HttpSession {
 public:
  virtual ~HttpSession() = default;
  // One request for url (its scheme, server, port, path and query); blocks until it ends, at the
  // latest at deadline (connection tries included).
  virtual HttpOutcome Perform(HttpVerb verb, const std::string& url, HttpResponse& response,
                              HttpDeadline deadline) = 0;
  // Any thread: ends the request in progress at once, and every later one before it starts,
  // with kAborted. Stays in force for the rest of the session.
  virtual void Abort() = 0;
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Any thread. Null when no session can be opened.
  virtual std::unique_ptr<HttpSession> OpenSession(const HttpSessionOptions& options) = 0;
};
