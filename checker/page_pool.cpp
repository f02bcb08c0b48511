#include "checker/page_pool.h"

#include <system_error>

PagePool::PagePool(HttpClient& client, HttpSessionOptions options, std::unique_ptr<HttpSession> first)
    : client_(client), options_(std::move(options)), spare_(std::move(first)) {}

PagePool::~PagePool() {
  AbortAll();
  {
    std::lock_guard lock(mutex_);
    ending_ = true;
  }
  jobsChanged_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

bool PagePool::Start(Ticket ticket, ItemFacts page, HttpDeadline deadline) {
  std::unique_lock lock(mutex_);
  if (idle_ <= jobs_.size() && !AddWorker()) return false;  // every worker busy or spoken for
  jobs_.push_back(Job{ticket, std::move(page), deadline});
  lock.unlock();
  jobsChanged_.notify_one();
  return true;
}

bool PagePool::AddWorker() {
  std::unique_ptr<HttpSession> session = spare_ ? std::move(spare_) : client_.OpenSession(options_);
  if (!session) return false;
  if (aborted_) session->Abort();
  HttpSession& own = *session;
  sessions_.push_back(std::move(session));
  try {
    workers_.emplace_back(&PagePool::Work, this, std::ref(own));
  } catch (const std::system_error&) {
    return false;
  }
  ++idle_;
  return true;
}

std::vector<PagePool::Answer> PagePool::Wait(std::chrono::steady_clock::time_point until) {
  std::unique_lock lock(mutex_);
  answersChanged_.wait_until(lock, until, [this] { return !answers_.empty() || aborted_; });
  return std::exchange(answers_, {});
}

void PagePool::AbortAll() {
  {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    for (const auto& session : sessions_)
      if (session) session->Abort();
  }
  answersChanged_.notify_all();
}

void PagePool::Work(HttpSession& session) {
  std::unique_lock lock(mutex_);
  while (true) {
    jobsChanged_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
    if (ending_) return;
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    --idle_;
    lock.unlock();
    const PageAnswer answer = AskServer(session, job.page, job.deadline);
    lock.lock();
    answers_.emplace_back(job.ticket, answer);
    ++idle_;
    answersChanged_.notify_all();
  }
}
