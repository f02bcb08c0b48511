#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "checker/check_view.h"
#include "checker/page_exchange.h"
#include "platform/http_client.h"

// The worker threads of one run, each with an HTTP session of its own, asking servers about pages
// (AskServer). Which page goes when is the run's decision (CheckRun); the pool only runs what it is
// given on an idle worker, starting a new one when none is idle, and hands the answers back.
//
// Threads: Start and Wait are the run's thread's; AbortAll may come from any thread.
class PagePool {
 public:
  using Ticket = uint64_t;
  using Answer = std::pair<Ticket, PageAnswer>;

  // first: the session of the first worker (the run opened it to know it can check at all).
  PagePool(HttpClient& client, HttpSessionOptions options, std::unique_ptr<HttpSession> first);
  // Aborts every transfer and joins every worker.
  ~PagePool();
  PagePool(const PagePool&) = delete;
  PagePool& operator=(const PagePool&) = delete;

  // Has page asked about on a worker. False (nothing started) when every worker is busy and no new
  // session can be opened.
  bool Start(Ticket ticket, ItemFacts page, HttpDeadline deadline);
  // The answers that came in, once there is at least one or at `until` (or an abort).
  std::vector<Answer> Wait(std::chrono::steady_clock::time_point until);
  // Ends every transfer at once, and every later one before it starts (with kStopped answers).
  void AbortAll();

 private:
  struct Job {
    Ticket ticket;
    ItemFacts page;
    HttpDeadline deadline;
  };

  // Starts a worker with a session of its own (under mutex_). False when none can be opened.
  bool AddWorker();
  void Work(HttpSession& session);

  HttpClient& client_;
  HttpSessionOptions options_;
  std::mutex mutex_;
  std::condition_variable jobsChanged_, answersChanged_;
  // Under mutex_:
  std::unique_ptr<HttpSession> spare_;  // the first session until its worker starts
  std::vector<std::unique_ptr<HttpSession>> sessions_;
  std::vector<std::thread> workers_;
  size_t idle_ = 0;
  std::deque<Job> jobs_;
  std::vector<Answer> answers_;
  bool aborted_ = false;
  bool ending_ = false;
};
