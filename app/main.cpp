#include <signal.h>

#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/display_check.h"
#include "app/signal_watch.h"
#include "app/tray_app.h"
#include "platform/qt/process_launcher.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/settings_preference_store.h"

namespace {

constexpr char kUsage[] =
    "usage: hopwise [--help | --version]\n"
    "The Hopwise tray program; it keeps its data in the folder it is started in. Start Hopwise with\n"
    "the command hopwise, which sets up its data folder and starts this program there.\n";

// The signals a start command may have blocked until the handlers were in place.
void UnblockTerminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, signal);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

}  // namespace

// Hopwise takes no arguments; it works in the current directory.
int main(int argc, char** argv) {
  InstallTerminationHandlers();
  UnblockTerminationSignals();
  const std::string_view option = argc > 1 ? argv[1] : "";
  if (option == "--help" || option == "-h") return std::fputs(kUsage, stdout) == EOF;
  if (option == "--version") return std::printf("Hopwise %s\n", HOPWISE_VERSION) < 0;
  if (argc > 1) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  if (const std::optional<std::string> problem = DisplayProblem()) {
    std::fprintf(stderr, "%s\n", problem->c_str());
    return 1;
  }
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName("Hopwise");
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
