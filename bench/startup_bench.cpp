// How soon the tray icon is drawn: Hopwise with 5000 PageMarks against a bare Qt tray program, each
// started afresh as a process, on a real X display with a system tray (Xvfb and trayer will do).
//
//   DISPLAY=:91 build/bin/startup_bench [runs]
//
// Prints, for each, the milliseconds from exec to the first paint of the icon (median and range).
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/tray_app.h"
#include "browser/recording_launcher.h"
#include "platform/atomic_file.h"
#include "platform/process_list.h"
#include "platform/qt/qt_message_boxes.h"
#include "store/archive.h"
#include "support/memory_preference_store.h"

namespace fs = std::filesystem;
using Steady = std::chrono::steady_clock;

namespace {

double MillisSince(Steady::rep startNs) {
  return static_cast<double>(Steady::now().time_since_epoch().count() - startNs) / 1e6;
}

// Reports the first paint of any top-level window of the tray icon, then ends the process.
class FirstPaint : public QObject {
 public:
  explicit FirstPaint(Steady::rep startNs) : startNs_(startNs) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->isWidgetType() && !done_) {
      done_ = true;
      std::printf("%.2f\n", MillisSince(startNs_));
      std::fflush(stdout);
      QTimer::singleShot(0, [] { std::_Exit(0); });
    }
    return false;
  }

 private:
  Steady::rep startNs_;
  bool done_ = false;
};

class NoProcesses : public ProcessList {
 public:
  std::optional<std::vector<ProcessEntry>> Snapshot() override { return std::vector<ProcessEntry>{}; }
};

int Child(const std::string& mode, const std::string& dataDir, Steady::rep startNs, int argc, char** argv) {
  QApplication app(argc, argv);
  FirstPaint watch(startNs);
  app.installEventFilter(&watch);
  QTimer::singleShot(5000, [] { std::_Exit(3); });
  if (mode == "bare") {
    QSystemTrayIcon icon(QIcon(QPixmap(22, 22)));
    icon.show();
    return QApplication::exec();
  }
  MemoryPreferenceStore preferences(true);
  QtMessageBoxes messages;
  RecordingLauncher launcher;
  SystemClock clock;
  NoProcesses processes;
  CTrayApp hopwise({preferences, messages, launcher, clock, processes, dataDir + "/rt", dataDir, ""});
  if (!hopwise.Start()) return 2;
  return QApplication::exec();
}

void WriteCache(const std::string& dataDir) {
  fs::create_directories(dataDir + "/Topics");
  fs::create_directories(dataDir + "/rt");
  fs::permissions(dataDir + "/rt", fs::perms::owner_all);
  std::vector<CPez> pages(5000);
  for (std::size_t i = 0; i < pages.size(); ++i) {
    pages[i].url = "https://site" + std::to_string(i % 300) + ".example" + std::to_string(i % 7) + ".org/" +
                   std::to_string(i);
    pages[i].title = "A page with a title of a usual length, number " + std::to_string(i);
  }
  std::ostringstream out;
  WritePezArray(out, pages);
  ReplaceFile(dataDir + "/cache.data", out.str());
}

double RunOnce(const char* self, const std::string& mode, const std::string& dataDir) {
  int out[2];
  if (pipe(out) != 0) return -1;
  const auto startNs = Steady::now().time_since_epoch().count();
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], 1);
    const std::string start = std::to_string(startNs);
    execl(self, self, "--child", mode.c_str(), dataDir.c_str(), start.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  char text[64] = {};
  const ssize_t n = read(out[0], text, sizeof text - 1);
  close(out[0]);
  waitpid(child, nullptr, 0);
  return n > 0 ? std::stod(text) : -1;
}

double Report(const char* name, std::vector<double> times) {
  std::sort(times.begin(), times.end());
  const double median = times[times.size() / 2];
  std::printf("%-34s median %6.1f ms  (min %.1f, max %.1f, %zu runs)\n", name, median, times.front(),
              times.back(), times.size());
  return median;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--child")
    return Child(argv[2], argv[3], std::stoll(argv[4]), argc, argv);
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string dataDir = fs::temp_directory_path() / ("hopwise-startup-" + std::to_string(getpid()));
  WriteCache(dataDir);
  std::vector<double> bare, hopwise;
  for (int i = 0; i < runs; ++i) {
    bare.push_back(RunOnce(argv[0], "bare", dataDir));
    hopwise.push_back(RunOnce(argv[0], "hopwise", dataDir));
  }
  fs::remove_all(dataDir);
  if (std::min(*std::min_element(bare.begin(), bare.end()),
               *std::min_element(hopwise.begin(), hopwise.end())) < 0) {
    std::fprintf(stderr, "no icon was drawn: is DISPLAY set, with a system tray running?\n");
    return 1;
  }
  const double bareMedian = Report("bare Qt tray program", bare);
  const double hopwiseMedian = Report("Hopwise with 5000 PageMarks", hopwise);
  std::printf("ratio of the medians: %.2f\n", hopwiseMedian / bareMedian);
  return 0;
}
