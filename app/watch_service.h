#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "checker/watch_run.h"
#include "checker/watch_schedule.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "platform/message_boxes.h"
#include "store/prefs.h"
#include "store/watched_pages.h"

class DesktopNotifier;

inline constexpr int kWatchTickMs = 30000;
inline constexpr int kWatchSaveDelayMs = 1000;
// How many titles a notification lists before "and N more".
inline constexpr int kTitlesListed = 8;

// What a notification says of a check: its summary and its body (one title a line).
struct WatchNotice {
  std::string summary;
  std::string body;
};
WatchNotice NoticeOf(const WatchReport& report);

// The watched pages while Hopwise runs. watched.data is read at start and written a moment after
// every change (and at the end). The pages are checked in the background on the schedule of
// "Check watched pages every N hours"; what a check found is told by one desktop notification,
// whose "Show" opens the PageMarks window on the changed pages or, where no notification can be
// shown, by a badge on the tray icon with a line in its tip, which follows the changed pages not
// looked at yet. Main thread only.
class WatchService : public QObject, private WatchedPagesListener {
  Q_OBJECT

 public:
  struct Parts {
    WatchedPages& watched;
    const CPrefs& prefs;  // "Check watched pages every N hours", read at every tick
    const Clock& clock;
    HttpClient& http;
    MessageBoxes& messages;
  };
  struct Hooks {
    std::function<bool()> suspended;     // recording is suspended: no check starts
    std::function<void(int)> showBadge;  // the tray icon's badge (0: none)
    std::function<void()> showChanged;   // the notification's "Show"
  };

  WatchService(Parts parts, std::string path, Hooks hooks, CheckLimits limits = {},
               WatchSchedule::Jitter jitter = RandomJitter);
  // Stops a check under way and writes the file.
  ~WatchService() override;

  // Reads watched.data and starts the schedule.
  void Load();
  // Writes watched.data now (unless it could not be read in this run).
  void Save();
  // The timer's tick: a check that ran too long is stopped; a check that is due starts.
  void Tick();
  bool Running() const { return run_.Running(); }
  const WatchSchedule* Schedule() const { return schedule_.get(); }

 signals:
  // A check ended and what it found was taken in and told.
  void checkEnded();

 private:
  void Start();
  void OnCheckEnded();
  void Tell(const WatchReport& report);
  void OnShown(bool taken);
  void OnWatchedPageChanged(const std::string& url) override;

  Parts parts_;
  std::string path_;
  Hooks hooks_;
  WatchSchedule::Jitter jitter_;
  std::unique_ptr<WatchSchedule> schedule_;
  WatchRun run_;
  DesktopNotifier* notifier_;
  WatchedPages::Subscription subscription_;
  QTimer tick_;
  QTimer save_;
  bool mayWrite_ = false;         // once the file was read
  bool noNotifications_ = false;  // the last notification could not be shown: the badge tells
};
