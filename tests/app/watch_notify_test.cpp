// Hopwise's scheduled checks of watched pages, end to end on a pinned clock: a page on a local
// server changes between two checks, and the user is told once, by a desktop notification through a
// stand-in org.freedesktop.Notifications on a private session bus (its "Show" opens the PageMarks
// window on the page), or, with no such service, by a badge on the tray icon.
#include <gtest/gtest.h>
#include <httplib.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QVariantMap>
#include <atomic>
#include <ctime>
#include <filesystem>
#include <memory>
#include <thread>

#include "app/tray_app.h"
#include "app/watch_service.h"
#include "browser/recording_launcher.h"
#include "shell/qt/tray_wnd.h"
#include "support/child_process.h"
#include "support/fake_clock.h"
#include "support/http_date_text.h"
#include "support/memory_preference_store.h"
#include "support/private_session_bus.h"
#include "support/recording_message_boxes.h"
#include "windows/page_mark_table_model.h"
#include "windows/page_marks_dlg.h"
#include "windows/tool_window_set.h"

namespace {

namespace fs = std::filesystem;

QString g_busAddress;  // the private session bus, empty when dbus-daemon could not start
const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");
const QString kNotificationsPath = QStringLiteral("/org/freedesktop/Notifications");
constexpr uint kNotificationId = 7;

// The notification server's side: takes every Notify and answers with its number.
class StandInNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  struct Shown {
    QString appName, summary, body;
    QStringList actions;
  };
  std::vector<Shown> shown;

 public slots:
  uint Notify(const QString& appName, uint replacesId, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints, int timeout) {
    shown.push_back({appName, summary, body, actions});
    return kNotificationId;
  }
  QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
};

// /changing: Last-Modified as set; /steady: long ago.
class PageServer {
 public:
  explicit PageServer(Time32 first) : modified(first) {
    server_.Get("/changing", [this](const httplib::Request&, httplib::Response& res) {
      res.set_header("Last-Modified", HttpDateText(modified));
      res.set_content("page", "text/html");
    });
    server_.Get("/steady", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Last-Modified", HttpDateText(100));
      res.set_content("page", "text/html");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::yield();
  }
  ~PageServer() {
    server_.stop();
    thread_.join();
  }
  std::string Url(const char* path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }

  std::atomic<Time32> modified;

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

class NoProcesses : public ProcessList {
 public:
  std::optional<std::vector<ProcessEntry>> Snapshot() override { return std::vector<ProcessEntry>{}; }
};

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

class WatchNotifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (g_busAddress.isEmpty()) GTEST_SKIP() << "dbus-daemon could not be started";
    root_ = fs::temp_directory_path() / ("hopwise-watch-" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "work" / "Topics");
    service_ =
        std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(g_busAddress, "notifications"));
  }
  void StartHopwise() {
    app_ = std::make_unique<CTrayApp>(AppServices{
        preferences_, messages_, launcher_, clock_, processes_, {}, (root_ / "work").string(), ""});
    ASSERT_TRUE(app_->Start());
    app_->FinishStart();
    ASSERT_NE(nullptr, app_->Watch());
    // The changing page is a PageMark the user visited; the steady one a Topic link only.
    app_->Store().RecordVisit(server_.Url("/changing"), "Changing page");
    ASSERT_TRUE(app_->Watched().Watch(server_.Url("/changing"), "Changing page"));
    ASSERT_TRUE(app_->Watched().Watch(server_.Url("/steady"), "Steady page"));
  }
  void TearDown() override {
    app_.reset();
    if (service_) {
      service_->unregisterService(kNotifications);
      service_->unregisterObject(kNotificationsPath);
      QDBusConnection::disconnectFromBus("notifications");
    }
    fs::remove_all(root_);
  }
  void OfferNotifications() {
    ASSERT_TRUE(
        service_->registerObject(kNotificationsPath, &notifications_, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(service_->registerService(kNotifications));
  }
  // The clock moves to the next scheduled check, and the timer ticks.
  void CheckOnSchedule() {
    WatchService& watch = *app_->Watch();
    clock_.Set(watch.Schedule()->NextRun());
    QSignalSpy ended(&watch, &WatchService::checkEnded);
    watch.Tick();
    ASSERT_TRUE(watch.Running());
    ASSERT_TRUE(ended.wait(10000));
    QCoreApplication::processEvents();
  }

  fs::path root_;
  MemoryPreferenceStore preferences_{true};
  RecordingMessageBoxes messages_;
  RecordingLauncher launcher_;
  FakeClock clock_;
  NoProcesses processes_;
  PageServer server_{clock_.Now() - 1000};
  StandInNotifications notifications_;
  std::unique_ptr<QDBusConnection> service_;
  std::unique_ptr<CTrayApp> app_;
};

TEST_F(WatchNotifyTest, AChangedPageIsToldByOneNotificationWhoseShowOpensTheWindowOnIt) {
  OfferNotifications();
  StartHopwise();
  CheckOnSchedule();
  EXPECT_TRUE(notifications_.shown.empty()) << "nothing changed, nothing told";

  server_.modified = clock_.Now() + 60;
  CheckOnSchedule();
  ASSERT_TRUE(WaitFor([this] { return !notifications_.shown.empty(); }));
  ASSERT_EQ(1u, notifications_.shown.size());
  const StandInNotifications::Shown& shown = notifications_.shown[0];
  EXPECT_EQ("Hopwise", shown.appName.toStdString());
  EXPECT_EQ("1 watched page changed", shown.summary.toStdString());
  EXPECT_EQ("Changing page", shown.body.toStdString());
  EXPECT_TRUE(shown.actions.contains(QStringLiteral("show")));

  CheckOnSchedule();
  EXPECT_EQ(1u, notifications_.shown.size()) << "a change is told once";
  EXPECT_EQ(0, app_->TrayWindow()->Icon().ChangedBadge()) << "no badge where a notification was shown";

  // Another notification's action is not ours.
  for (uint id : {kNotificationId + 1, kNotificationId}) {
    QDBusMessage action =
        QDBusMessage::createSignal(kNotificationsPath, kNotifications, QStringLiteral("ActionInvoked"));
    action << id << QStringLiteral("show");
    ASSERT_TRUE(service_->send(action));
    if (id != kNotificationId) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 200);
      EXPECT_FALSE(app_->ToolWindows()->IsOpen(ToolWindowKind::kPageMarks));
    }
  }
  ASSERT_TRUE(WaitFor([this] { return app_->ToolWindows()->IsOpen(ToolWindowKind::kPageMarks); }));
  auto* window = qobject_cast<CPageMarksDlg*>(app_->ToolWindows()->Window(ToolWindowKind::kPageMarks));
  ASSERT_NE(nullptr, window);
  EXPECT_EQ("Changed", window->WatchFilterBox()->currentText().toStdString());
  ASSERT_EQ(1, window->Model().rowCount());
  EXPECT_EQ("Changing page", window->Model().Rows().Shown(0).title.toStdString());

  app_->Shutdown();
  EXPECT_TRUE(fs::exists(root_ / "work" / "watched.data"));
}

TEST_F(WatchNotifyTest, WithoutANotificationServiceTheTrayIconCarriesABadge) {
  StartHopwise();
  server_.modified = clock_.Now() + 60;
  CheckOnSchedule();
  ASSERT_TRUE(WaitFor([this] { return app_->TrayWindow()->Icon().ChangedBadge() == 1; }));
  EXPECT_NE(-1, app_->TrayWindow()->Icon().TipText().indexOf(QStringLiteral("\n1 watched page changed")));

  // Looking at the page takes the badge away.
  app_->Store().RecordVisit("http://elsewhere.example/", "Elsewhere");
  app_->Store().RecordVisit(server_.Url("/changing"), "Changing page");
  EXPECT_EQ(0, app_->TrayWindow()->Icon().ChangedBadge());
  EXPECT_EQ(-1, app_->TrayWindow()->Icon().TipText().indexOf(QStringLiteral("changed")));
}

// A check never starts while recording is suspended; the one due starts once it is back on.
TEST_F(WatchNotifyTest, NoCheckWhileSuspended) {
  StartHopwise();
  app_->TrayWindow()->ToggleSuspend();
  WatchService& watch = *app_->Watch();
  clock_.Set(watch.Schedule()->NextRun() + 3600);
  watch.Tick();
  EXPECT_FALSE(watch.Running());
  app_->TrayWindow()->ToggleSuspend();
  QSignalSpy ended(&watch, &WatchService::checkEnded);
  watch.Tick();
  EXPECT_TRUE(watch.Running());
  EXPECT_TRUE(ended.wait(10000));
}

}  // namespace

int main(int argc, char** argv) {
  std::string address;
  std::unique_ptr<ChildProcess> daemon = StartPrivateSessionBus(address);
  g_busAddress = QString::fromStdString(address);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName("Hopwise");
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

#include "watch_notify_test.moc"
