#include "app/watch_service.h"

#include <utility>

#include "platform/qt/desktop_notifier.h"
#include "store/watched_file.h"

namespace {

std::string Count(size_t n, const char* what) {
  return std::to_string(n) + " watched " + (n == 1 ? "page " : "pages ") + what;
}

std::string Titles(const std::vector<const WatchedPage*>& pages) {
  std::string text;
  for (size_t i = 0; i < pages.size() && i < static_cast<size_t>(kTitlesListed); ++i)
    text += (i ? "\n" : "") + (pages[i]->title.empty() ? pages[i]->url : pages[i]->title);
  if (pages.size() > static_cast<size_t>(kTitlesListed))
    text += "\nand " + std::to_string(pages.size() - kTitlesListed) + " more";
  return text;
}

}  // namespace

// A failing page is told with the changed ones, or on its own when nothing changed.
WatchNotice NoticeOf(const WatchReport& report) {
  const std::string failing = "No answer for " + std::to_string(kFailedRunsReported) + " checks in a row: ";
  WatchNotice notice;
  if (!report.changed.empty()) {
    notice.summary = Count(report.changed.size(), "changed");
    notice.body = Titles(report.changed);
    if (!report.failing.empty()) notice.body += "\n\n" + failing + Titles(report.failing);
  } else if (!report.failing.empty()) {
    notice.summary = Count(report.failing.size(), "cannot be checked");
    notice.body = failing + Titles(report.failing);
  }
  return notice;
}

WatchService::WatchService(Parts parts, std::string path, Hooks hooks, CheckLimits limits,
                           WatchSchedule::Jitter jitter)
    : parts_(parts),
      path_(std::move(path)),
      hooks_(std::move(hooks)),
      jitter_(std::move(jitter)),
      run_(parts.http, limits),
      notifier_(new DesktopNotifier(this)),
      subscription_(parts.watched.Subscribe(*this)) {
  connect(notifier_, &DesktopNotifier::shown, this, &WatchService::OnShown);
  connect(notifier_, &DesktopNotifier::showRequested, this, [this] {
    if (hooks_.showChanged) hooks_.showChanged();
  });
  tick_.setInterval(kWatchTickMs);
  connect(&tick_, &QTimer::timeout, this, &WatchService::Tick);
  save_.setSingleShot(true);
  save_.setInterval(kWatchSaveDelayMs);
  connect(&save_, &QTimer::timeout, this, &WatchService::Save);
}

WatchService::~WatchService() {
  subscription_.Leave();
  run_.Stop();
  run_.Finish();  // what it found is dropped: the pages are checked again next time
  if (save_.isActive()) Save();
}

void WatchService::Load() {
  if (schedule_) return;
  mayWrite_ = LoadWatchedFile(path_, parts_.watched, parts_.messages, parts_.clock.Now());
  schedule_ = std::make_unique<WatchSchedule>(parts_.clock, jitter_, parts_.prefs.watchHours,
                                              parts_.watched.LastRun());
  tick_.start();
}

void WatchService::Save() {
  save_.stop();
  if (!mayWrite_) return;
  std::string why;
  if (!SaveWatchedFile(path_, parts_.watched, &why))
    parts_.messages.Ok("Hopwise could not write " + path_ + ": " + why + ".\nThe previous file is kept.");
}

void WatchService::Tick() {
  if (!schedule_) return;
  schedule_->SetPeriodHours(parts_.prefs.watchHours);
  if (schedule_->Running()) {
    if (schedule_->Overrun()) run_.Stop();
    return;
  }
  if (schedule_->Due(hooks_.suspended && hooks_.suspended())) Start();
}

// With nothing watched the turn passes, so a page watched now waits for the next one.
void WatchService::Start() {
  schedule_->Started();
  parts_.watched.SetLastRun(schedule_->LastRun());
  save_.start();
  if (parts_.watched.Pages().empty() || !run_.Start(parts_.watched.Pages(), [this] {
        QMetaObject::invokeMethod(this, &WatchService::OnCheckEnded, Qt::QueuedConnection);
      }))
    schedule_->Ended();
}

void WatchService::OnCheckEnded() {
  const WatchReport report = parts_.watched.TakeAnswers(run_.Finish(), parts_.clock.Now());
  schedule_->Ended();
  Tell(report);
  emit checkEnded();
}

void WatchService::Tell(const WatchReport& report) {
  if (report.Empty()) return;
  const WatchNotice notice = NoticeOf(report);
  notifier_->Notify(QString::fromStdString(notice.summary), QString::fromStdString(notice.body));
}

void WatchService::OnShown(bool taken) {
  noNotifications_ = !taken;
  if (hooks_.showBadge) hooks_.showBadge(noNotifications_ ? parts_.watched.ChangedCount() : 0);
}

void WatchService::OnWatchedPageChanged(const std::string&) {
  if (mayWrite_) save_.start();
  if (noNotifications_ && hooks_.showBadge) hooks_.showBadge(parts_.watched.ChangedCount());
}
