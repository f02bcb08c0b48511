#include <QApplication>
#include <QSessionManager>
#include <cstdio>
#include <cstdlib>

#include "app/signal_watch.h"
#include "app/tray_app.h"
#include "platform/qt/process_launcher.h"
#include "platform/qt/qt_message_boxes.h"
#include "platform/qt/settings_preference_store.h"

namespace {

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

}  // namespace

// Hopwise takes no arguments; it works in the current directory.
int main(int argc, char** argv) {
  InstallTerminationHandlers();
  if (!HasDisplay()) {
    std::fprintf(stderr, "Hopwise needs a graphical desktop session (neither DISPLAY nor WAYLAND_DISPLAY is set).\n");
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
  CTrayApp app({preferences, messages, launcher, clock, processes, {}, ReadWorkingDirectory(), path ? path : ""});
  if (!app.Start()) return 1;

  QObject::connect(&app, &CTrayApp::finished, &qtApp, &QApplication::quit, Qt::QueuedConnection);
  SignalWatch termination;
  QObject::connect(&termination, &SignalWatch::terminationRequested, &app, [&app] { app.EndOfLogon(true); });
  // The desktop session is ending: save as at the end of a logon, then leave.
  QObject::connect(&qtApp, &QGuiApplication::commitDataRequest, &app,
                   [&app](QSessionManager&) { app.EndOfLogon(true); }, Qt::DirectConnection);
  return QApplication::exec();
}
