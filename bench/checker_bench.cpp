// The update check of 1,000 PageMarks on local web servers, with the checker's own limits (CheckLimits'
// defaults): first with every server answering, then with 50 of the pages on servers that take the
// connection and never answer (each such black hole a host of its own, every 20th page of the list).
// Answering pages are spread over 10 hosts (127.0.0.1 to 127.0.0.10); half of them send a
// Last-Modified, half are measured with a GET; every one of them reads as Updated.
//
//   build/bin/checker_bench
//
// Prints, for each run, the seconds until every answering page was shown, the seconds until the
// run ended, and the verdicts counted.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "checker/check_texts.h"
#include "checker/fake_check_view.h"
#include "checker/test_servers.h"
#include "checker/update_checker.h"
#include "checker/walkers.h"
#include "platform/curl_http_client.h"

namespace {

using Steady = std::chrono::steady_clock;
using checkertest::SilentServer;
using checkertest::TestServer;

constexpr int kPages = 1000;
constexpr int kAnsweringHosts = 10;
constexpr Time32 kVisit = 1700000000;

double SecondsSince(Steady::time_point start) {
  return std::chrono::duration<double>(Steady::now() - start).count();
}

void RunOnce(const char* title, int blackHoleCount, const std::vector<std::unique_ptr<TestServer>>& servers) {
  std::vector<std::unique_ptr<SilentServer>> blackHoles;
  checkertest::FakeCheckView view;
  int answering = 0;
  for (int i = 0; i < kPages; ++i) {
    if (blackHoleCount > 0 && i % (kPages / blackHoleCount) == 0) {
      const int n = static_cast<int>(blackHoles.size());
      blackHoles.push_back(std::make_unique<SilentServer>(false, "127.0.1." + std::to_string(n + 1)));
      view.AddPage(kTopLevel, blackHoles.back()->Url(), kVisit);
      continue;
    }
    const TestServer& server = *servers[answering % kAnsweringHosts];
    const std::string path = answering % 2 ? "/sized/" + std::to_string(2000 + answering)
                                           : "/dated/" + std::to_string(kVisit + 1) + "?" + std::to_string(i);
    view.AddPage(kTopLevel, server.Url(path), kVisit, 1);
    ++answering;
  }
  int updated = 0, unreachable = 0, bad = 0;
  double allAnswered = 0;
  const Steady::time_point start = Steady::now();
  view.onVerdict = [&](ItemKey, Verdict verdict) {
    if (verdict == Verdict::kUpdated && ++updated == answering) allAnswered = SecondsSince(start);
    if (verdict == Verdict::kUnreachable) ++unreachable;
    if (verdict == Verdict::kBadStatus) ++bad;
  };
  CurlHttpClient client;
  CPrefs prefs;
  UpdateChecker checker(view, client, prefs);
  checker.Start(CheckScope(CheckPageMarkList));
  checker.Wait();
  std::printf(
      "%s: %d pages, %d black holes: every answering page shown after %.2f s, run ended after %.2f s "
      "(%s); Updated %d, Unreachable %d, BadStatus %d\n",
      title, kPages, blackHoleCount, allAnswered, SecondsSince(start), view.statusTexts.back().c_str(),
      updated, unreachable, bad);
}

}  // namespace

int main() {
  std::vector<std::unique_ptr<TestServer>> servers;
  for (int i = 1; i <= kAnsweringHosts; ++i)
    servers.push_back(std::make_unique<TestServer>(false, "127.0.0." + std::to_string(i)));
  RunOnce("all answering", 0, servers);
  RunOnce("with black holes", 50, servers);
  return 0;
}
