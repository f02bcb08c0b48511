#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "checker/fake_check_view.h"
#include "checker/page_exchange.h"
#include "checker/test_servers.h"
#include "checker/update_checker.h"
#include "platform/curl_http_client.h"

namespace checkertest {
namespace {

using Verdicts = std::vector<Verdict>;
const Verdicts kNone;                           // not asked
const Verdicts kNoChange{Verdict::kUnchanged};  // asked, and the answer marks nothing
constexpr Time32 kVisit = 1700000000;

std::string Dated(const TestServer& server, int64_t instant) {
  return server.Url("/dated/" + std::to_string(instant));
}

// Checks pages one at a time through one session, as a worker and the run do.
class OnePage {
 public:
  explicit OnePage(HttpClient& client, bool checkSecurePages = true, const CheckLimits& limits = {})
      : session_(client.OpenSession(UpdateChecker::SessionOptions(limits))),
        secure_(checkSecurePages),
        deadline_(limits.pageDeadlineMs) {}

  // The verdicts shown for the page, in order.
  Verdicts Check(const std::string& url, uint32_t size = 0, Time32 lastVisited = kVisit) {
    item = view.AddPage(kTopLevel, url, lastVisited, size);
    ItemFacts page;
    view.Describe(item, page);
    if (IsCheckedUrl(url, secure_))
      ShowAnswer(view, item, AskServer(*session_, page, std::chrono::steady_clock::now() + deadline_), {},
                 static_cast<int>((deadline_.count() + 999) / 1000));
    return view.VerdictsOf(item);
  }

  FakeCheckView view;
  ItemKey item = kTopLevel;  // the page checked last

 private:
  std::unique_ptr<HttpSession> session_;
  bool secure_;
  std::chrono::milliseconds deadline_;
};

class ExchangeTest : public ::testing::Test {
 protected:
  TestServer server;
  CurlHttpClient client;
  OnePage page{client};
};

TEST_F(ExchangeTest, ALastModifiedAfterTheVisitMeansUpdated) {
  EXPECT_EQ(kNoChange, page.Check(Dated(server, kVisit - 1)));
  EXPECT_EQ(kNoChange, page.Check(Dated(server, kVisit)));
  EXPECT_EQ(Verdicts{Verdict::kUpdated}, page.Check(Dated(server, kVisit + 1)));
  // An unknown month name reads as January: 6 January 2030, 08:49:37 UTC.
  const std::string unknownMonth = server.Url("/date?v=Sun,%2006%20Foo%202030%2008:49:37%20GMT");
  EXPECT_EQ(Verdicts{Verdict::kUpdated}, page.Check(unknownMonth, 0, 1893919776));
  EXPECT_EQ(kNoChange, page.Check(unknownMonth, 0, 1893919777));
}

TEST_F(ExchangeTest, WithoutLastModifiedTheBodyLengthDecides) {
  struct Case {
    uint32_t stored;
    int served;
    bool updated;
    uint32_t after;
  };
  const Case cases[] = {{0, 1000, false, 1000},
                        {1000, 994, true, 994},
                        {1000, 995, false, 1000},
                        {1000, 1005, false, 1000},
                        {1000, 1006, true, 1006}};
  for (const std::string kind : {"/sized/", "/chunked/"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(kind + std::to_string(c.served) + " after " + std::to_string(c.stored));
      EXPECT_EQ(c.updated ? Verdicts{Verdict::kUpdated} : kNoChange,
                page.Check(server.Url(kind + std::to_string(c.served)), c.stored));
      EXPECT_EQ(c.after, page.view.SizeOf(page.item));
    }
  }
  // A body without end is counted up to its limit, and the transfer ends there.
  page.Check(server.Url("/endless"), 1);
  EXPECT_EQ(kBodyCountLimit, page.view.SizeOf(page.item));
}

TEST_F(ExchangeTest, RequestsAreHttp10HeadThenGetFromTheServerItself) {
  page.Check(server.Url("/sized/10"));
  EXPECT_EQ((std::vector<std::string>{"HEAD /sized/10 HTTP/1.0|Hopwise|no-cache|",
                                      "GET /sized/10 HTTP/1.0|Hopwise|no-cache|"}),
            server.Seen());
}

TEST_F(ExchangeTest, RedirectsAreFollowedAndOtherStatusesAreBad) {
  EXPECT_EQ((Verdicts{Verdict::kUpdated, Verdict::kBadStatus}), page.Check(server.Url("/missing")));
  EXPECT_EQ("The server answered 404 Not Found.", page.view.reasons[page.item]);
  EXPECT_EQ(Verdicts{Verdict::kBadStatus}, page.Check(server.Url("/loop")));
  EXPECT_EQ(Verdicts{Verdict::kUpdated},
            page.Check(server.Url("/moved") + "/dated/" + std::to_string(kVisit + 9)));
  EXPECT_EQ("The server dates the page Tue, 14 Nov 2023 22:13:29 GMT, after the last visit.",
            page.view.reasons[page.item]);
  EXPECT_EQ(Verdicts{Verdict::kUpdated}, page.Check(server.Url("/moved/sized/1006"), 1000));
  EXPECT_EQ(1006u, page.view.SizeOf(page.item));
  EXPECT_EQ("Its size went from 1000 to 1006 bytes.", page.view.reasons[page.item]);
  EXPECT_EQ(Verdicts{Verdict::kUnreachable},
            page.Check("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/"));
  EXPECT_EQ("The server could not be reached (Couldn't connect to server).", page.view.reasons[page.item]);
}

// Small limits: a server that stays silent for 300 ms once connected, a page not done in 1.5 s,
// and a connection not made in 200 ms (three tries) all make the page Unreachable.
TEST(TimeLimitsTest, SilentTricklingAndUnconnectableServersAreUnreachable) {
  TestServer server;
  SilentServer blackHole(false), fullQueue(true);
  CurlHttpClient client;
  OnePage page(client, true,
               CheckLimits{.connectTimeoutMs = 200, .answerTimeoutMs = 300, .pageDeadlineMs = 1500});
  EXPECT_EQ(Verdicts{Verdict::kUnreachable}, page.Check(blackHole.Url()));
  EXPECT_EQ("The server did not answer in time.", page.view.reasons[page.item]);
  EXPECT_EQ(Verdicts{Verdict::kUnreachable}, page.Check(server.Url("/trickle"), 1000));
  EXPECT_EQ("No answer within 2 s.", page.view.reasons[page.item]);
  EXPECT_EQ(1000u, page.view.SizeOf(page.item));
  EXPECT_EQ(Verdicts{Verdict::kUnreachable}, page.Check(fullQueue.Url()));
  // A server that answers within the limits is still heard out.
  EXPECT_EQ(Verdicts{Verdict::kUpdated}, page.Check(Dated(server, kVisit + 1)));
}

TEST(SecurePagesTest, HttpsIsCheckedLikeHttpWhenItsCertificateIsTrusted) {
  TestServer server(true);
  const std::string later = Dated(server, kVisit + 9);
  CurlHttpClient systemStore;
  CurlHttpClient trusting(HOPWISE_TEST_DATA "/checker/localhost.crt");
  EXPECT_EQ(Verdicts{Verdict::kUnreachable}, OnePage(systemStore).Check(later));
  EXPECT_EQ(Verdicts{Verdict::kUpdated}, OnePage(trusting).Check(later));
  EXPECT_EQ(kNone, OnePage(trusting, false).Check(later));
  EXPECT_EQ(1u, server.Seen().size());  // a failed certificate check sends no request
}

TEST(IsCheckedUrlTest, TheHostIsTheServerNameAlone) {
  EXPECT_EQ("example.org", HostOf("HTTP://Someone:pw@Example.ORG:8080/a?b"));
  EXPECT_EQ("127.0.0.2", HostOf("http://127.0.0.2?x"));
  EXPECT_EQ("[::1]", HostOf("https://[::1]:443/"));
  EXPECT_EQ("[::1]", HostOf("https://[::1]#top"));
}

TEST(IsCheckedUrlTest, HttpAlwaysHttpsByPreferenceNothingElse) {
  EXPECT_TRUE(IsCheckedUrl("http://example.org", false));
  EXPECT_TRUE(IsCheckedUrl("HTTP://example.org:8080/a?b", false));
  EXPECT_FALSE(IsCheckedUrl("https://example.org/", false));
  EXPECT_TRUE(IsCheckedUrl("https://example.org/", true));
  for (const char* url :
       {"ftp://example.org/", "gopher://example.org/", "file:///etc/hosts", "mailto:a@example.org",
        "news:comp.lang", "http:/example.org", "http://", "http:///path", "example.org", ""})
    EXPECT_FALSE(IsCheckedUrl(url, true)) << url;
}

}  // namespace
}  // namespace checkertest
