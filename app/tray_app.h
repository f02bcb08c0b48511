#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "browser/browser_link.h"
#include "browser/dde_link.h"
#include "browser/detect_thread.h"
#include "browser/registration_run.h"
#include "exchange/browser_profiles.h"
#include "platform/clock.h"
#include "platform/dde_instance.h"
#include "platform/launcher.h"
#include "platform/message_boxes.h"
#include "platform/preference_store.h"
#include "platform/process_list.h"
#include "store/background_save.h"
#include "store/data_files.h"
#include "store/data_paths.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/process_events.h"
#include "store/topics_model.h"
#include "store/watched_pages.h"
#include "windows/window_services.h"

class CBrowserImportDlg;
class CBrowserImportOffer;
class CTrayWnd;
class CommandDialogSet;
class DdeEventPump;
class HttpClient;
class InstanceHandOver;
class InstanceLock;
class ToolWindowSet;
class WatchedVisits;
class WatchingOpener;
class WatchService;

inline constexpr char kAlreadyRunning[] = "Hopwise is already running.";
inline constexpr char kHandedOver[] = "Hopwise is already running: it was asked to show its window.";
inline constexpr char kNoAnswer[] = "Hopwise is already running, but it does not answer.";
inline constexpr int kHandOverWaitMs = 3000;
inline constexpr int kBrowserWatchMs = 3000;
inline constexpr int kFirstPaintWaitMs = 250;
// After start-up, the find window and its index are made this much later, ready before they are asked for.
inline constexpr int kPrepareFindWindowMs = 1000;
class UrlEchoService;
class VisitRecorder;

// What the application is given by main (or by a test): the services of the platform and where
// it runs.
struct AppServices {
  PreferenceStore& preferences;
  MessageBoxes& messages;
  Launcher& launcher;
  const Clock& clock;
  ProcessList& processes;
  std::string transportFolder;   // empty: the transport's default folder
  std::string workingDirectory;  // where cache.data, topics.data and Topics/ live
  std::string searchPath;        // where the default browser is looked for (PATH)
  // The browsers' profiles of the user, for the offer to bring them in at a first start with an
  // empty store; unset: no offer.
  std::function<std::vector<BrowserProfile>()> findBrowserProfiles = nullptr;
};

// The application object: it owns the preferences, the data paths, the store, the Topics model,
// the data files and the link to the browser, and hands them to the tray window and the services
// that use them. It brings Hopwise up in a fixed order and takes it down again.
// Start-up: transport, preferences, data paths, default browser, browser link, tool windows, tray
// icon; once the icon is on the screen, cache.data, the menus and the detection thread. Shutdown ("E&xit"):
// stop recording and the detection thread, withdraw the service name, save, close the tool windows, free,
// remove the tray icon, save the preferences. The end of the desktop session (and SIGTERM, SIGHUP, SIGINT)
// takes the shorter end-of-logon form; the session manager's request to save the session only
// saves.
class CTrayApp : public QObject {
  Q_OBJECT

 public:
  explicit CTrayApp(AppServices services, QObject* parent = nullptr);
  ~CTrayApp() override;

  // False when the transport cannot be set up or another Hopwise runs for this user. That one is
  // asked to show itself (HandedOver() tells whether it took the request), a line on stderr says
  // so, and nothing else happens. The tray icon is up when it returns; the rest (FinishStart)
  // follows once the icon (or anything of Hopwise) is first drawn and shown, or kFirstPaintWaitMs
  // later at the latest.
  bool Start();
  // "hopwise --find": before Start, asks for the find window as soon as the pages are loaded, or,
  // when another Hopwise runs, asks that one for its find window.
  void StartWithFindWindow() { findOnStart_ = true; }
  // The rest of start-up: cache.data, the menus, serving the browser, the detection thread. Runs
  // once; tests call it to have it now.
  void FinishStart();
  // The shutdown of "E&xit". Runs once; emits finished().
  void Shutdown();
  // The end of the user's session. With ending false nothing happens; with it true the store and
  // the preferences are saved and everything is freed; emits finished().
  void EndOfLogon(bool ending);
  // The session manager asks for the user's data (a log-out that may still be cancelled, or a save
  // of the session): the store and the preferences are saved and Hopwise runs on. No message box
  // may hold the session manager up: what goes wrong meanwhile is written to stderr.
  void SaveSession();

  bool HandedOver() const { return handedOver_; }
  CTrayWnd* TrayWindow() const { return tray_.get(); }
  // The offer of a first start and the import dialog it opened, while they are shown.
  CBrowserImportOffer* BrowserImportOffer() const;
  CBrowserImportDlg* BrowserImportDialog() const;
  PageMarkStore& Store() { return store_; }
  TopicsModel& Topics() { return topics_; }
  const CPrefs& Prefs() const { return prefs_; }
  const DataPaths& Paths() const { return paths_; }
  ProcessEvents& Events() { return events_; }
  WatchedPages& Watched() { return watched_; }
  // The scheduled checks of the watched pages; null before start-up and after shutdown.
  WatchService* Watch() const { return watch_.get(); }
  ToolWindowSet* ToolWindows() const { return toolWindows_.get(); }

 signals:
  // Hopwise has shut down (either form); the event loop may end.
  void finished();

 private:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void HandOver();
  void ListenForHandOver();
  void StopListening();
  void CreateParts();
  void WaitForFirstPaint();
  void FinishStartOnceShown();
  void LoadData();
  void WatchBrowser();
  void CreateWatchService();
  void StartDetection();
  // At a first start with an empty store and profiles to bring in, unless answered before.
  void OfferBrowserImport();
  void AnswerBrowserImportOffer(bool yes);
  // Timer 69 ran out: a registration run begins (unless one is under way); its attempts follow
  // one second apart.
  void BeginRegistration();
  void RegistrationAttempt();
  void WaitForDetectionEnd();
  void BeginClosing();
  void ReportFailedSave(const std::string& message);
  void DeleteEndpoint();
  void FreeAndSavePreferences();

  AppServices services_;
  ProcessEvents events_;
  CPrefs prefs_;
  const DataPaths paths_;  // formed from the working directory when the application is made
  PageMarkStore store_;
  DataFiles dataFiles_;
  BackgroundSave backgroundSave_;
  TopicsModel topics_;
  WatchedPages watched_;
  dde::Instance transport_;
  DdeLink link_;
  std::unique_ptr<DdeEventPump> pump_;
  std::unique_ptr<BrowserLink> browser_;
  std::unique_ptr<RegistrationRun> registration_;
  QTimer registrationRetry_;
  QTimer browserWatch_;                     // how the tip tells whether a browser is there
  std::unique_ptr<HttpClient> http_;        // made on the main thread; shared by the update checks
  std::unique_ptr<WatchingOpener> opener_;  // the browser, and a watched page opened is seen
  std::unique_ptr<ToolWindowSet> toolWindows_;
  std::unique_ptr<WindowServices> windowServices_;
  QPointer<CBrowserImportOffer> importOffer_;
  QPointer<CBrowserImportDlg> importDialog_;
  std::unique_ptr<CommandDialogSet> dialogs_;
  std::unique_ptr<CTrayWnd> tray_;
  std::unique_ptr<VisitRecorder> recorder_;
  std::unique_ptr<UrlEchoService> echoService_;
  std::unique_ptr<WatchedVisits> watchedVisits_;
  std::unique_ptr<WatchService> watch_;
  std::unique_ptr<CDetectThread> detect_;
  std::unique_ptr<InstanceLock> instanceLock_;
  std::unique_ptr<InstanceHandOver> handOver_;
  std::unique_ptr<DdeEventPump> handOverPump_;
  std::unique_ptr<MessageBoxes> endOfSessionMessages_;
  bool down_ = false;
  bool handedOver_ = false;
  bool findOnStart_ = false;
  std::atomic<bool> loaded_{false};
};
