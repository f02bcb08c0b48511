#include "app/tray_app.h"

#include <QApplication>
#include <QEvent>
#include <cstdio>

#include "app/signal_watch.h"
#include "browser/find_browser.h"
#include "browser/url_echo_service.h"
#include "browser/verb_table.h"
#include "browser/visit_recorder.h"
#include "platform/atomic_file.h"
#include "platform/curl_http_client.h"
#include "platform/instance_hand_over.h"
#include "platform/instance_lock.h"
#include "platform/qt/dde_event_pump.h"
#include "platform/stderr_message_boxes.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "shell/qt/tray_wnd.h"
#include "windows/browser_import_dlg.h"
#include "windows/browser_import_offer.h"
#include "windows/command_dialog_set.h"
#include "windows/tool_window_set.h"

CTrayApp::CTrayApp(AppServices services, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      paths_(FormDataPaths(services_.workingDirectory)),
      store_(prefs_, services_.clock),
      dataFiles_(services_.messages, services_.clock),
      backgroundSave_(dataFiles_, [this](const std::string& message) { ReportFailedSave(message); }),
      topics_(dataFiles_, services_.clock, paths_),
      transport_(services_.transportFolder),
      link_(transport_) {}

CTrayApp::~CTrayApp() {
  // A test may drop the application without shutting it down: the thread must not outlive it.
  link_.SetServer(nullptr);
  events_.quit.Set();
  WaitForDetectionEnd();
}

bool CTrayApp::Start() {
  if (!link_.Initialize()) {
    services_.messages.Ok(LoadResourceString(res::kStringDdeInitFailed).value_or(""));
    return false;
  }
  // A second Hopwise goes before it has touched anything.
  instanceLock_ = InstanceLock::Acquire(transport_.RuntimeDir());
  if (!instanceLock_) {
    HandOver();
    return false;
  }
  ListenForHandOver();
  pump_ = std::make_unique<DdeEventPump>(transport_);
  // A termination signal cuts short whatever wait on the browser holds the main thread, so that
  // the signal is handled at once, however the browser behaves.
  transport_.SetInterruptFd(TerminationFd());
  OpenPreferences(prefs_, services_.preferences, services_.messages, services_.clock.Now());
  if (prefs_.browser.empty()) FindBrowserInstallation(prefs_, services_.searchPath);
  CreateParts();
  tray_->CreateTrayWindow();
  // The icon comes first; what grows with the store, and the watch for the browser, follow once
  // something of Hopwise is on the screen. A start for the find window loads at once: the window
  // is what the user waits for.
  if (findOnStart_)
    QTimer::singleShot(0, this, &CTrayApp::FinishStart);
  else
    WaitForFirstPaint();
  return true;
}

// Nothing modal: a start from the desktop's menu or at log-in must not wait for a click.
void CTrayApp::HandOver() {
  const char* item = findOnStart_ ? InstanceHandOver::kFindItem : InstanceHandOver::kShowItem;
  handedOver_ = InstanceHandOver::Ask(transport_.RuntimeDir(), item, kHandOverWaitMs);
  std::fprintf(stderr, "%s\n", handedOver_ ? kHandedOver : kNoAnswer);
}

// The request is answered at once; the window opens from the main loop afterwards.
void CTrayApp::ListenForHandOver() {
  handOver_ = std::make_unique<InstanceHandOver>(transport_.RuntimeDir());
  const bool listening = handOver_->Listen(
      [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
              if (tray_ && !down_) tray_->ShowYourself();
            },
            Qt::QueuedConnection);
      },
      [this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
              if (tray_ && !down_) tray_->ShowFindWindow();
            },
            Qt::QueuedConnection);
      });
  if (listening)
    handOverPump_ = std::make_unique<DdeEventPump>(handOver_->Transport());
  else
    handOver_.reset();
}

void CTrayApp::StopListening() {
  handOverPump_.reset();
  handOver_.reset();
  instanceLock_.reset();
}

void CTrayApp::CreateParts() {
  browser_ = std::make_unique<BrowserLink>(link_, prefs_, services_.launcher, services_.messages);
  http_ = std::make_unique<CurlHttpClient>();
  windowServices_ = std::make_unique<WindowServices>(
      WindowServices{prefs_, store_, topics_, *browser_, services_.messages, *http_});
  windowServices_->saveStore = [this] { return dataFiles_.SaveCache(store_, paths_.cachePath); };
  toolWindows_ = std::make_unique<ToolWindowSet>(*windowServices_);
  dialogs_ = std::make_unique<CommandDialogSet>(prefs_, services_.messages);
  tray_ = std::make_unique<CTrayWnd>(prefs_, store_, topics_, *browser_, services_.launcher,
                                     services_.messages, *toolWindows_, *dialogs_);
  // A choice made in the preferences dialog is kept at once, not only at exit.
  connect(tray_.get(), &CTrayWnd::preferencesChanged, this,
          [this] { SavePreferences(prefs_, services_.preferences); });
  recorder_ = std::make_unique<VisitRecorder>(*browser_, store_, events_, *tray_);
  echoService_ = std::make_unique<UrlEchoService>(services_.clock, *recorder_);
  connect(tray_.get(), &CTrayWnd::exitRequested, this, &CTrayApp::Shutdown, Qt::QueuedConnection);
  registration_ = std::make_unique<RegistrationRun>(*browser_);
  registrationRetry_.setSingleShot(true);
  registrationRetry_.setInterval(1000);
  connect(&registrationRetry_, &QTimer::timeout, this, &CTrayApp::RegistrationAttempt);
  connect(tray_.get(), &CTrayWnd::registrationDue, this, &CTrayApp::BeginRegistration);
  browserWatch_.setInterval(kBrowserWatchMs);
  connect(&browserWatch_, &QTimer::timeout, this, &CTrayApp::WatchBrowser);
}

void CTrayApp::WatchBrowser() {
  if (tray_) tray_->SetBrowserConnected(transport_.ServiceAnswers(std::string(kBrowserService)));
}

void CTrayApp::WaitForFirstPaint() {
  qApp->installEventFilter(this);
  QTimer::singleShot(kFirstPaintWaitMs, this, &CTrayApp::FinishStart);
}

bool CTrayApp::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Paint && watched->isWidgetType() && !loaded_) {
    qApp->removeEventFilter(this);
    QTimer::singleShot(0, this, &CTrayApp::FinishStartOnceShown);
  }
  return QObject::eventFilter(watched, event);
}

// The paint is over when this runs, but the picture may still wait in the connection to the display
// or in its queue: the round trip has the display show it before the loading takes the processor.
void CTrayApp::FinishStartOnceShown() {
  QGuiApplication::sync();
  FinishStart();
}

void CTrayApp::FinishStart() {
  LoadData();
  if (!detect_ && !down_) StartDetection();
}

// The data files, then the menus; only then may the browser's echoes reach the store.
void CTrayApp::LoadData() {
  if (loaded_ || !tray_) return;
  qApp->removeEventFilter(this);
  RemoveStaleTempFiles(services_.workingDirectory.empty() ? "." : services_.workingDirectory);
  RemoveStaleTempFiles(paths_.branchPath);
  dataFiles_.LoadCache(store_, paths_.cachePath);
  tray_->BuildMenus();
  link_.SetServer(echoService_.get());
  loaded_ = true;
  WatchBrowser();
  browserWatch_.start();
  if (findOnStart_)
    tray_->ShowFindWindow();
  else
    QTimer::singleShot(kPrepareFindWindowMs, this, [this] {
      if (!down_) toolWindows_->PrepareFindWindow();
    });
  OfferBrowserImport();
}

void CTrayApp::OfferBrowserImport() {
  if (prefs_.browserImportOffered || store_.Count() > 0 || !services_.findBrowserProfiles) return;
  if (services_.findBrowserProfiles().empty()) return;
  importOffer_ = new CBrowserImportOffer;
  importOffer_->setAttribute(Qt::WA_DeleteOnClose);
  connect(importOffer_, &CBrowserImportOffer::answered, this, &CTrayApp::AnswerBrowserImportOffer);
  importOffer_->ShowInCorner();
}

CBrowserImportOffer* CTrayApp::BrowserImportOffer() const {
  return importOffer_.data();
}

CBrowserImportDlg* CTrayApp::BrowserImportDialog() const {
  return importDialog_.data();
}

// Either answer is kept at once, so the offer never comes again.
void CTrayApp::AnswerBrowserImportOffer(bool yes) {
  prefs_.browserImportOffered = 1;
  SavePreferences(prefs_, services_.preferences);
  if (!yes || down_) return;
  importDialog_ = new CBrowserImportDlg(*windowServices_, services_.findBrowserProfiles());
  importDialog_->setAttribute(Qt::WA_DeleteOnClose);
  importDialog_->show();
}

void CTrayApp::StartDetection() {
  CTrayWnd* tray = tray_.get();
  CDetectThread::Hooks hooks;
  hooks.startRegistrationTimer = [tray] {
    QMetaObject::invokeMethod(
        tray, [tray] { tray->StartRegistrationTimer(); }, Qt::QueuedConnection);
  };
  hooks.takeCacheDirty = [this] { return store_.TakeDirty(); };
  hooks.startBackgroundSave = [this] {
    if (loaded_) backgroundSave_.Start(store_, paths_.cachePath);
  };
  detect_ = std::make_unique<CDetectThread>(events_, services_.processes, std::move(hooks));
  detect_->Start();
}

void CTrayApp::BeginRegistration() {
  if (registration_->Begin()) RegistrationAttempt();
}

void CTrayApp::RegistrationAttempt() {
  if (registration_->Attempt()) registrationRetry_.start();
}

// The quit event must have been signalled.
void CTrayApp::WaitForDetectionEnd() {
  if (!detect_) return;
  events_.detectionEnded.Wait();
  detect_.reset();
}

// From here on no visit is recorded and no background save starts; one already started is waited for.
// No call to the browser waits any more either, not even one further up the stack.
void CTrayApp::BeginClosing() {
  transport_.Interrupt();
  events_.closing.Set();
  backgroundSave_.Close();
}

// On the worker thread: the message is shown from the main loop. Once Hopwise is going down it is
// dropped: the closing save writes the same file and tells its own outcome.
void CTrayApp::ReportFailedSave(const std::string& message) {
  QMetaObject::invokeMethod(
      this,
      [this, message] {
        if (!down_) dataFiles_.Tell(message);
      },
      Qt::QueuedConnection);
}

// Withdraws "HOPWISE1": nothing is served any more.
void CTrayApp::DeleteEndpoint() {
  link_.SetServer(nullptr);
  tray_->StopRegistrationTimer();
  registrationRetry_.stop();
  browserWatch_.stop();
  registration_->Cancel();
  browser_->Close();
}

// The dialogs and tool windows go first, unanswered: the windows keep their column widths in
// the preferences, and a running update check is stopped.
void CTrayApp::FreeAndSavePreferences() {
  delete importOffer_.data();
  delete importDialog_.data();
  dialogs_->CloseAll();
  toolWindows_->CloseAll();
  tray_->DestroySiteMenus();
  store_.ClearStore();
  tray_->RemoveTrayIcon();
  SavePreferences(prefs_, services_.preferences);
}

void CTrayApp::Shutdown() {
  if (down_ || !tray_) return;
  LoadData();  // a store never loaded must not be written over cache.data
  down_ = true;
  events_.quit.Set();
  BeginClosing();
  WaitForDetectionEnd();
  DeleteEndpoint();
  dataFiles_.SaveCache(store_, paths_.cachePath);
  FreeAndSavePreferences();
  StopListening();
  emit finished();
}

void CTrayApp::SaveSession() {
  if (down_ || !tray_) return;
  StderrMessageBoxes quiet;
  dataFiles_.ReportTo(quiet);
  // Before the store is loaded it holds nothing of its own, and cache.data is left as it is.
  if (loaded_) dataFiles_.SaveCache(store_, paths_.cachePath);
  SavePreferences(prefs_, services_.preferences);
  dataFiles_.ReportTo(services_.messages);
}

void CTrayApp::EndOfLogon(bool ending) {
  if (!ending || down_ || !tray_) return;
  down_ = true;
  BeginClosing();
  // Nobody may be asked to click anything now: what goes wrong is written to stderr.
  endOfSessionMessages_ = std::make_unique<StderrMessageBoxes>();
  dataFiles_.ReportTo(*endOfSessionMessages_);
  LoadData();
  dataFiles_.SaveCache(store_, paths_.cachePath);
  DeleteEndpoint();
  FreeAndSavePreferences();
  // The session is ending and so is the process: the detection thread is stopped only now, after
  // everything was saved, so that the program exits cleanly.
  events_.quit.Set();
  WaitForDetectionEnd();
  StopListening();
  emit finished();
}
