// The application object in this process, on the offscreen platform, with recording fakes.
#include "app/tray_app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "resources/resource_ids.h"
#include "shell/qt/no_tray_window.h"
#include "shell/qt/tray_wnd.h"
#include "support/app_fixture.h"
#include "support/fake_clock.h"
#include "support/memory_preference_store.h"
#include "support/recording_message_boxes.h"
#include "windows/browser_import_dlg.h"
#include "windows/browser_import_offer.h"
#include "windows/page_marks_dlg.h"

namespace {

// The find window when it is shown; null otherwise.
QWidget* FindWindowShown() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("findWindow") && widget->isVisible()) return widget;
  return nullptr;
}

namespace fs = std::filesystem;

class TrayAppTest : public AppFixture {
 protected:
  void SetUp() override { MakeFolders("hopwise-app"); }
  void TearDown() override { RemoveFolders(); }

  bool Exists(const char* name) const { return fs::exists(root_ / "work" / name); }
};

TEST_F(TrayAppTest, WithoutATransportOnlyTheMessageShowsAndNothingIsWritten) {
  fs::create_directories(root_ / "runtime");
  fs::permissions(root_ / "runtime", fs::perms::all);  // group and others may write: refused
  CTrayApp app(Services((root_ / "runtime").string()));
  EXPECT_FALSE(app.Start());
  EXPECT_EQ(std::vector<std::string>{"DDE initialization failed.  Unable to continue."}, messages_.Shown());
  EXPECT_EQ(nullptr, app.TrayWindow());
  EXPECT_FALSE(Exists("cache.data"));
  EXPECT_FALSE(Exists("topics.data"));
  EXPECT_TRUE(preferences_.Writes().empty());
}

TEST_F(TrayAppTest, AStartWithoutCacheGivesAnEmptyStoreAndExitWritesTheFiles) {
  CTrayApp app(Services());
  ASSERT_TRUE(app.Start());
  app.FinishStart();  // what follows the first paint of the icon
  EXPECT_TRUE(messages_.Shown().empty());
  EXPECT_TRUE(app.Store().PageMarks().empty());
  EXPECT_EQ((root_ / "work" / "cache.data").string(), app.Paths().cachePath);
  ASSERT_NE(nullptr, app.TrayWindow());

  bool finished = false;
  QObject::connect(&app, &CTrayApp::finished, [&] { finished = true; });
  app.Shutdown();
  EXPECT_TRUE(finished);
  EXPECT_TRUE(Exists("cache.data"));
  EXPECT_TRUE(Exists("topics.data")) << "an empty topics.data is made when the menus are built";
  EXPECT_EQ("Browser", preferences_.Writes().front());
  EXPECT_TRUE(app.Events().closing.IsSet());
}

TEST_F(TrayAppTest, ExitClosesTheOpenWindowsAndKeepsTheirColumnWidths) {
  CTrayApp app(Services());
  ASSERT_TRUE(app.Start());
  QCoreApplication::processEvents();
  app.TrayWindow()->OnCommand(res::kCmdMorePageMarks);
  CPageMarksDlg* window = nullptr;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* found = qobject_cast<CPageMarksDlg*>(widget)) window = found;
  ASSERT_NE(nullptr, window);
  window->List()->horizontalHeader()->resizeSection(3, 77);
  app.Shutdown();
  EXPECT_EQ(MemoryPreferenceStore::Value(uint32_t{77}), preferences_.Values().at("Column 3"));
}

TEST_F(TrayAppTest, EndOfLogonActsOnlyWhenTheSessionIsEnding) {
  CTrayApp app(Services());
  ASSERT_TRUE(app.Start());
  app.FinishStart();
  ASSERT_TRUE(app.Store().RecordVisit("http://a.example/", "A"));

  app.EndOfLogon(false);
  EXPECT_FALSE(Exists("cache.data"));
  EXPECT_EQ(1u, app.Store().Count());
  EXPECT_FALSE(app.Events().closing.IsSet());

  app.EndOfLogon(true);
  EXPECT_TRUE(Exists("cache.data"));
  EXPECT_TRUE(app.Store().PageMarks().empty()) << "the store is freed after it was saved";
  EXPECT_TRUE(app.Events().closing.IsSet());
  EXPECT_FALSE(preferences_.Writes().empty());
}

// A log-out that is cancelled, or a save of the session, must not end Hopwise.
TEST_F(TrayAppTest, TheSessionManagersSaveRequestSavesAndHopwiseRunsOn) {
  CTrayApp app(Services());
  ASSERT_TRUE(app.Start());
  bool finished = false;
  QObject::connect(&app, &CTrayApp::finished, [&] { finished = true; });
  app.SaveSession();
  EXPECT_FALSE(Exists("cache.data")) << "a store not yet loaded is not written over cache.data";
  app.FinishStart();
  ASSERT_TRUE(app.Store().RecordVisit("http://a.example/", "A"));

  app.SaveSession();
  EXPECT_TRUE(Exists("cache.data"));
  EXPECT_TRUE(preferences_.Values().contains("Search Address")) << "the preferences are saved";
  EXPECT_FALSE(finished);
  EXPECT_FALSE(app.Events().closing.IsSet());
  EXPECT_TRUE(app.Store().RecordVisit("http://b.example/", "B")) << "visits are still recorded";
  EXPECT_EQ(2u, app.Store().Count());
  EXPECT_TRUE(messages_.Shown().empty());

  app.EndOfLogon(true);
  EXPECT_TRUE(finished);
  PageMarkStore loaded(app.Prefs(), clock_);
  DataFiles files(messages_, clock_);
  files.LoadCache(loaded, app.Paths().cachePath);
  EXPECT_EQ(2u, loaded.Count());
}

// Without a tray the first Hopwise shows a window; closing it asks whether to end Hopwise, and a
// second start brings it back and ends without a box.
TEST_F(TrayAppTest, ASecondHopwiseHandsOverToTheFirstAndTouchesNothing) {
  CTrayApp first(Services());
  ASSERT_TRUE(first.Start());
  first.FinishStart();
  ASSERT_TRUE(first.Store().RecordVisit("http://a.example/", "A"));
  ASSERT_NE(nullptr, NoTrayShown()) << "the offscreen platform has no tray";
  messages_.AnswerYes(false);  // keep Hopwise running
  NoTrayShown()->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_EQ(nullptr, NoTrayShown());
  ASSERT_EQ(1u, messages_.Shown().size());
  EXPECT_NE(std::string::npos, messages_.Shown()[0].find("start Hopwise again"));
  messages_.Clear();
  {
    CTrayApp second(Services());
    // The second waits for the first's answer, which this thread's event loop gives.
    std::atomic<int> started{-1};
    std::thread start([&] { started = second.Start() ? 1 : 0; });
    while (started < 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    start.join();
    EXPECT_EQ(0, started);
    EXPECT_TRUE(second.HandedOver());
    EXPECT_TRUE(messages_.Shown().empty()) << "nothing modal";
    EXPECT_EQ(nullptr, second.TrayWindow());
  }
  QCoreApplication::processEvents();
  ASSERT_NE(nullptr, NoTrayShown()) << "the window is back";
  EXPECT_TRUE(NoTrayShown()->isVisible());
  EXPECT_FALSE(Exists("cache.data"));
  first.Shutdown();
  EXPECT_TRUE(Exists("cache.data"));

  CTrayApp third(Services());
  EXPECT_TRUE(third.Start()) << "the lock goes with the first";
}

// "hopwise --find": the first Hopwise shows its find window once its pages are loaded; another
// start with --find has the running one show it again.
TEST_F(TrayAppTest, FindStartsShowTheFindWindowHereOrInTheHopwiseRunning) {
  CTrayApp first(Services());
  first.StartWithFindWindow();
  ASSERT_TRUE(first.Start());
  EXPECT_EQ(nullptr, FindWindowShown()) << "not before the pages are there";
  first.FinishStart();
  ASSERT_NE(nullptr, FindWindowShown());
  FindWindowShown()->close();
  {
    CTrayApp second(Services());
    second.StartWithFindWindow();
    std::atomic<int> started{-1};
    std::thread start([&] { started = second.Start() ? 1 : 0; });
    while (started < 0) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    start.join();
    EXPECT_EQ(0, started);
    EXPECT_TRUE(second.HandedOver());
  }
  QCoreApplication::processEvents();
  EXPECT_NE(nullptr, FindWindowShown()) << "shown again by the running Hopwise";
  first.Shutdown();
  EXPECT_EQ(nullptr, FindWindowShown());
}

// A first start with an empty store offers the browsers' profiles once; "No, Thanks" is kept and
// the offer does not come again. "Bring In..." opens the import, which reads the profile on its
// thread and brings it in (here a Chromium profile with only its Bookmarks file).
TEST_F(TrayAppTest, TheOfferOfAFirstStartIsAnsweredOnceAndBringsTheProfileIn) {
  const fs::path profile = root_ / "Default";
  fs::create_directories(profile);
  std::ofstream(profile / "Bookmarks") << R"({"roots": {"bookmark_bar": {"type": "folder", "children": [
             {"type": "url", "name": "A", "url": "http://a.example/", "date_added": "13340000000000000"}]}}})";
  AppServices services = Services();
  services.findBrowserProfiles = [&] {
    return std::vector<BrowserProfile>{ProfileAt(BrowserKind::Chromium, profile)};
  };
  {
    CTrayApp app(services);
    ASSERT_TRUE(app.Start());
    app.FinishStart();
    ASSERT_NE(nullptr, app.BrowserImportOffer());
    EXPECT_TRUE(app.BrowserImportOffer()->isVisible());
    app.BrowserImportOffer()->NoButton()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(nullptr, app.BrowserImportOffer());
    EXPECT_EQ(MemoryPreferenceStore::Value(uint32_t{1}), preferences_.Values().at("Browser Import Offered"));
    app.Shutdown();
  }
  {
    CTrayApp again(services);
    ASSERT_TRUE(again.Start());
    again.FinishStart();
    EXPECT_EQ(nullptr, again.BrowserImportOffer()) << "answered once, never offered again";
    again.Shutdown();
  }
  preferences_.WriteDword("Browser Import Offered", 0);  // as if never answered
  fs::remove(root_ / "work" / "cache.data");
  CTrayApp app(services);
  ASSERT_TRUE(app.Start());
  app.FinishStart();
  ASSERT_NE(nullptr, app.BrowserImportOffer());
  app.BrowserImportOffer()->YesButton()->click();
  CBrowserImportDlg* dialog = app.BrowserImportDialog();
  ASSERT_NE(nullptr, dialog);
  dialog->StartButton()->click();
  for (int i = 0; i < 500 && dialog->Summary().empty(); ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_EQ("Brought in 0 pages and 1 bookmark in 1 folder from Chromium (Default).", dialog->Summary());
  ASSERT_EQ(1u, app.Topics().Root().children->size());
  EXPECT_EQ("Chromium bookmarks bar", app.Topics().Root().children->front()->name);
  EXPECT_TRUE(messages_.Shown().empty());
  app.Shutdown();
  EXPECT_EQ(nullptr, app.BrowserImportDialog());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication qtApp(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
