#include <signal.h>

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/app_style.h"
#include "app/display_check.h"
#include "app/signal_watch.h"
#include "app/tray_app.h"
#include "platform/qt/process_launcher.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/settings_preference_store.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"

namespace {

constexpr char kUsage[] =
    "usage: hopwise [--find | --help | --version]\n"
    "The Hopwise tray program; it keeps its data in the folder it is started in. Start Hopwise with\n"
    "the command hopwise, which sets up its data folder and starts this program there. With --find\n"
    "it shows its find window once started, or has the Hopwise already running show it.\n";

// The signals a start command may have blocked until the handlers were in place.
void UnblockTerminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace

// Hopwise takes no arguments but --find; it works in the current directory.
int main(int argc, char** argv) {
  InstallTerminationHandlers();
  UnblockTerminationSignals();
  const std::string_view option = argc > 1 ? argv[1] : "";
  if (option == "--help" || option == "-h") return std::fputs(kUsage, stdout) == EOF;
  if (option == "--version") return std::printf("Hopwise %s\n", HOPWISE_VERSION) < 0;
  const bool find = option == "--find";
  if (argc > 2 || (argc > 1 && !find)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (const std::optional<std::string> problem = DisplayProblem()) {
    std::fprintf(stderr, "%s\n", problem->c_str());
    return 1;
  }
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName("Hopwise");
  // Every window and dialog carries the program's icon unless it sets its own.
  QApplication::setWindowIcon(LoadIconResource(res::kIconActive));
  QApplication::setStyle(new AppStyle);
  QApplication::setQuitOnLastWindowClosed(false);

  SettingsPreferenceStore preferences(SettingsPreferenceStore::DefaultPath());
  QtMessageBoxes messages;
  ProcessLauncher launcher;
  SystemClock clock;
  ProcProcessList processes;
  const char* path = std::getenv("PATH");
  CTrayApp app(
      {preferences, messages, launcher, clock, processes, {}, ReadWorkingDirectory(), path ? path : "", [] {
         return FindAllProfiles(ProfilePlaces::FromEnvironment());
       }});
  if (find) app.StartWithFindWindow();
  if (!app.Start()) return app.HandedOver() ? 0 : 1;

  QObject::connect(&app, &CTrayApp::finished, &qtApp, &QApplication::quit, Qt::QueuedConnection);
  SignalWatch termination;
  QObject::connect(&termination, &SignalWatch::terminationRequested, &app, [&app] { app.EndOfLogon(true); });
  // The session manager wants the data saved (the session may yet go on); when it ends the session
  // it quits the application: save as at the end of a logon, then leave.
  QObject::connect(
      &qtApp, &QGuiApplication::commitDataRequest, &app, [&app](QSessionManager&) { app.SaveSession(); },
      Qt::DirectConnection);
  QObject::connect(&qtApp, &QCoreApplication::aboutToQuit, &app, [&app] { app.EndOfLogon(true); });
  return QApplication::exec();
}
