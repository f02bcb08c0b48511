#include "platform/curl_http_client.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <utility>

#include "platform/curl_library.h"

namespace {

// How long one wait for the sockets lasts at most; Abort() also wakes it at once.
constexpr int kPollMs = 100;
constexpr long kMaxRedirects = 20;

using Clock = std::chrono::steady_clock;

// Sessions are made only once the library is loaded (CurlHttpClient::Ready).
const CurlLibrary& Curl() {
  return *LoadCurlLibrary();
}

// A GET's body: counted, never kept.
struct BodyCount {
  CURL* easy = nullptr;
  uint64_t count = 0;
  bool endedOnPurpose = false;  // the count is all we need: the transfer was ended here
};

// The write callback. Ends the transfer at the first body bytes when the answer gave its length,
// and once the count reaches its limit.
size_t CountBody(char*, size_t size, size_t items, void* context) {
  auto& body = *static_cast<BodyCount*>(context);
  curl_off_t length = -1;
  Curl().easyGetinfo(body.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  const size_t bytes = size * items;
  if (length < 0) body.count += bytes;
  if (length < 0 && body.count < kBodyCountLimit) return bytes;
  body.count = std::min(body.count, kBodyCountLimit);
  body.endedOnPurpose = true;
  return 0;  // fewer bytes taken than given ends the transfer
}

// The progress callback: a non-zero answer ends the transfer.
int EndWhenAborted(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<const std::atomic<bool>*>(context)->load() ? 1 : 0;
}

// The answer time-out of one transfer: once connected, the server must send something (headers or
// body, of any answer in a chain of redirects) at least every `limit`.
class SilenceWatch {
 public:
  explicit SilenceWatch(int limitMs) : limit_(std::chrono::milliseconds(limitMs)) {}

  bool Expired(CURL* easy, Clock::time_point now) {
    curl_off_t connectTime = 0, body = 0;
    long headers = 0;
    Curl().easyGetinfo(easy, CURLINFO_CONNECT_TIME_T, &connectTime);
    Curl().easyGetinfo(easy, CURLINFO_HEADER_SIZE, &headers);
    Curl().easyGetinfo(easy, CURLINFO_SIZE_DOWNLOAD_T, &body);
    const curl_off_t heard = headers + body;
    if (connectTime == 0 || heard != heard_) lastHeard_ = now;  // not connected yet, or news
    heard_ = heard;
    return limit_.count() > 0 && now - lastHeard_ > limit_;
  }

 private:
  std::chrono::milliseconds limit_;
  Clock::time_point lastHeard_ = Clock::now();
  curl_off_t heard_ = 0;
};

class CurlSession : public HttpSession {
 public:
  CurlSession() : easy_(Curl().easyInit()), multi_(Curl().multiInit()) {}
  ~CurlSession() override;
  CurlSession(const CurlSession&) = delete;
  CurlSession& operator=(const CurlSession&) = delete;

  // False when the handles or an option could not be set up.
  bool SetUp(const HttpSessionOptions& options, const std::string& caFile);
  HttpOutcome Perform(HttpVerb verb, const std::string& url, HttpResponse& response,
                      HttpDeadline deadline) override;
  void Abort() override;

 private:
  bool SetHeaders();
  CURLcode Transfer(HttpDeadline deadline);
  CURLcode ResultOfTransfer();
  bool NeverConnected(CURLcode code) const;
  HttpOutcome Finish(CURLcode code, HttpVerb verb, HttpResponse& response) const;
  std::string Status() const;
  std::string Header(const char* name) const;

  CURL* easy_;
  CURLM* multi_;
  curl_slist* headers_ = nullptr;
  int connectTries_ = 1;
  int answerTimeoutMs_ = 0;
  BodyCount body_;
  std::atomic<bool> aborted_{false};
};

CurlSession::~CurlSession() {
  if (multi_) Curl().multiCleanup(multi_);
  if (easy_) Curl().easyCleanup(easy_);
  Curl().slistFreeAll(headers_);
}

bool CurlSession::SetHeaders() {
  // Past every cache, as HTTP/1.0 and later caches understand it; curl's own "Accept: */*" goes.
  for (const char* line : {"Pragma: no-cache", "Cache-Control: no-cache", "Accept:"}) {
    curl_slist* longer = Curl().slistAppend(headers_, line);
    if (!longer) return false;
    headers_ = longer;
  }
  return Curl().easySetopt(easy_, CURLOPT_HTTPHEADER, headers_) == CURLE_OK;
}

bool CurlSession::SetUp(const HttpSessionOptions& options, const std::string& caFile) {
  if (!easy_ || !multi_ || !SetHeaders()) return false;
  connectTries_ = std::max(1, options.connectRetries);
  answerTimeoutMs_ = options.answerTimeoutMs;
  body_.easy = easy_;
  bool ok = true;
  auto set = [&](CURLcode code) { ok = ok && code == CURLE_OK; };
  set(Curl().easySetopt(easy_, CURLOPT_USERAGENT, options.userAgent.c_str()));
  set(Curl().easySetopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeoutMs)));
  set(Curl().easySetopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0)));
  set(Curl().easySetopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https"));
  set(Curl().easySetopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https"));
  set(Curl().easySetopt(easy_, CURLOPT_FOLLOWLOCATION, 1L));
  set(Curl().easySetopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects));
  set(Curl().easySetopt(easy_, CURLOPT_NOSIGNAL, 1L));
  // HTTP/1.0 connections end with their answer. Some servers offer to keep them open and close them
  // anyway; a request sent on such a connection would fail.
  set(Curl().easySetopt(easy_, CURLOPT_FORBID_REUSE, 1L));
  set(Curl().easySetopt(easy_, CURLOPT_WRITEFUNCTION, CountBody));
  set(Curl().easySetopt(easy_, CURLOPT_WRITEDATA, &body_));
  set(Curl().easySetopt(easy_, CURLOPT_NOPROGRESS, 0L));
  set(Curl().easySetopt(easy_, CURLOPT_XFERINFOFUNCTION, EndWhenAborted));
  set(Curl().easySetopt(easy_, CURLOPT_XFERINFODATA, &aborted_));
  if (!caFile.empty()) set(Curl().easySetopt(easy_, CURLOPT_CAINFO, caFile.c_str()));
  return ok;
}

HttpOutcome CurlSession::Perform(HttpVerb verb, const std::string& url, HttpResponse& response,
                                 HttpDeadline deadline) {
  response = HttpResponse{};
  if (Curl().easySetopt(easy_, CURLOPT_URL, url.c_str()) != CURLE_OK) return HttpOutcome::kFailed;
  if (verb == HttpVerb::kHead)
    Curl().easySetopt(easy_, CURLOPT_NOBODY, 1L);
  else
    Curl().easySetopt(easy_, CURLOPT_HTTPGET, 1L);
  CURLcode code = CURLE_COULDNT_CONNECT;
  for (int attempt = 0; attempt < connectTries_ && !aborted_ && Clock::now() < deadline; ++attempt) {
    body_ = BodyCount{easy_};
    code = Transfer(deadline);
    if (!NeverConnected(code)) break;
  }
  if (aborted_) return HttpOutcome::kAborted;
  return Finish(code, verb, response);
}

void CurlSession::Abort() {
  aborted_ = true;
  Curl().multiWakeup(multi_);
}

// One attempt, driven here rather than by curl_easy_perform so that Abort() is seen at once,
// even while a connection is being made, and the deadline and the answer time-out are kept however
// the server sends (or does not send) its answer.
CURLcode CurlSession::Transfer(HttpDeadline deadline) {
  if (Curl().multiAddHandle(multi_, easy_) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode result = CURLE_ABORTED_BY_CALLBACK;
  SilenceWatch silence(answerTimeoutMs_);
  while (!aborted_) {
    int running = 0;
    if (Curl().multiPerform(multi_, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      result = ResultOfTransfer();
      break;
    }
    const Clock::time_point now = Clock::now();
    if (now >= deadline || silence.Expired(easy_, now)) {
      result = CURLE_OPERATION_TIMEDOUT;
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
    Curl().multiPoll(multi_, nullptr, 0, static_cast<int>(std::min<long long>(kPollMs, left)), nullptr);
  }
  Curl().multiRemoveHandle(multi_, easy_);
  return result;
}

CURLcode CurlSession::ResultOfTransfer() {
  int left = 0;
  while (CURLMsg* message = Curl().multiInfoRead(multi_, &left)) {
    if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) return message->data.result;
  }
  return CURLE_FAILED_INIT;
}

// A refused connection, or a connect time-out, is tried again (while the deadline allows).
bool CurlSession::NeverConnected(CURLcode code) const {
  if (code == CURLE_COULDNT_CONNECT) return true;
  curl_off_t connected = 0;
  Curl().easyGetinfo(easy_, CURLINFO_CONNECT_TIME_T, &connected);
  return code == CURLE_OPERATION_TIMEDOUT && connected == 0;
}

HttpOutcome CurlSession::Finish(CURLcode code, HttpVerb verb, HttpResponse& response) const {
  // Too many redirects still leaves an answer: the last redirect, whose status tells so.
  const bool answered = code == CURLE_OK || code == CURLE_TOO_MANY_REDIRECTS ||
                        (code == CURLE_WRITE_ERROR && body_.endedOnPurpose);
  if (!answered) {
    response.timedOut = code == CURLE_OPERATION_TIMEDOUT;
    response.failure = Curl().easyStrerror(code);
    return HttpOutcome::kFailed;
  }
  response.status = Status();
  response.lastModified = Header("Last-Modified");
  if (verb == HttpVerb::kGet) {
    curl_off_t length = -1;
    Curl().easyGetinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    response.bodyLength = length >= 0 ? static_cast<uint64_t>(length) : body_.count;
  }
  return HttpOutcome::kDone;
}

std::string CurlSession::Status() const {
  long code = 0;
  Curl().easyGetinfo(easy_, CURLINFO_RESPONSE_CODE, &code);
  return code > 0 ? std::to_string(code) : std::string();
}

// The header of the last answer (after redirects); empty when it had none.
std::string CurlSession::Header(const char* name) const {
  curl_header* header = nullptr;
  if (Curl().easyHeader(easy_, name, 0, CURLH_HEADER, -1, &header) != CURLHE_OK || !header->value) return {};
  return header->value;
}

}  // namespace

static_assert(LIBCURL_VERSION_NUM >= 0x075400, "curl_global_init is thread-safe from libcurl 7.84 on");

CurlHttpClient::CurlHttpClient(std::string extraCaFile) : extraCaFile_(std::move(extraCaFile)) {}

CurlHttpClient::~CurlHttpClient() {
  if (ready_) Curl().globalCleanup();
}

std::unique_ptr<HttpSession> CurlHttpClient::OpenSession(const HttpSessionOptions& options) {
  if (!Ready()) return nullptr;
  auto session = std::make_unique<CurlSession>();
  if (!session->SetUp(options, extraCaFile_)) return nullptr;
  return session;
}

bool CurlHttpClient::Ready() {
  std::call_once(
      setUp_, [this] { ready_ = LoadCurlLibrary() && Curl().globalInit(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
  return ready_;
}
