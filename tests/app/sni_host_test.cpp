// Hopwise on a desktop whose tray is a StatusNotifierItem host, played by this test over a private
// session bus: the host registers as the StatusNotifierWatcher, reads the item's properties, walks
// its DBusMenu (GetLayout, AboutToShow, Event) and clicks the icon (Activate, ContextMenu), as
// waybar, KDE Plasma or GNOME's AppIndicator extension do.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QMutex>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "app/tray_app.h"
#include "shell/qt/tray_wnd.h"
#include "support/app_fixture.h"
#include "support/child_process.h"
#include "support/private_session_bus.h"
#include "windows/find_window.h"
#include "windows/page_marks_dlg.h"

namespace {

namespace fs = std::filesystem;

QString g_busAddress;  // the private session bus, empty when dbus-daemon could not start

// The watcher side of the host. It lives on a thread of its own, as a host lives in a process of
// its own: Qt asks the watcher with a blocking call when the tray icon is made.
class StandInWatcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

 public:
  bool IsStatusNotifierHostRegistered() const { return true; }
  int ProtocolVersion() const { return 0; }
  QString Item() const {
    QMutexLocker lock(&mutex_);
    return item_;
  }
  QString MenuAtRegistration() const {
    QMutexLocker lock(&mutex_);
    return menu_;
  }

 public slots:
  // As waybar does, the host reads the item's menu path when the item registers, and only then.
  void RegisterStatusNotifierItem(const QString& service) {
    QDBusMessage get = QDBusMessage::createMethodCall(service, "/StatusNotifierItem",
                                                      "org.freedesktop.DBus.Properties", "Get");
    get.setArguments({QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Menu")});
    const QDBusMessage reply = QDBusConnection(QStringLiteral("host")).call(get, QDBus::Block, 5000);
    const QString menu =
        reply.arguments().isEmpty()
            ? QString()
            : qvariant_cast<QDBusObjectPath>(qvariant_cast<QDBusVariant>(reply.arguments()[0]).variant())
                  .path();
    QMutexLocker lock(&mutex_);
    menu_ = menu;
    item_ = service;
  }
  void RegisterStatusNotifierHost(const QString&) {}

 private:
  mutable QMutex mutex_;
  QString item_;
  QString menu_;
};

// One entry of a DBusMenu layout as the host reads it.
struct MenuNode {
  int id = 0;
  QVariantMap properties;
  std::vector<MenuNode> children;

  QString Label() const { return properties.value(QStringLiteral("label")).toString(); }
  bool IsSeparator() const { return properties.value(QStringLiteral("type")).toString() == "separator"; }
  const MenuNode* Find(const QString& label) const {
    if (Label() == label) return this;
    for (const MenuNode& child : children)
      if (const MenuNode* found = child.Find(label)) return found;
    return nullptr;
  }
};

MenuNode ReadNode(const QDBusArgument& arg) {
  MenuNode node;
  arg.beginStructure();
  arg >> node.id >> node.properties;
  arg.beginArray();
  while (!arg.atEnd()) {
    QDBusVariant child;
    arg >> child;
    node.children.push_back(ReadNode(qvariant_cast<QDBusArgument>(child.variant())));
  }
  arg.endArray();
  arg.endStructure();
  return node;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > timeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

class SniHostTest : public AppFixture {
 protected:
  void SetUp() override {
    if (g_busAddress.isEmpty()) GTEST_SKIP() << "dbus-daemon could not be started";
    MakeFolders("hopwise-sni");

    host_ = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(g_busAddress, "host"));
    watcher_.moveToThread(&watcherThread_);
    watcherThread_.start();
    ASSERT_TRUE(
        host_->registerObject("/StatusNotifierWatcher", &watcher_,
                              QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(host_->registerService("org.kde.StatusNotifierWatcher"));

    preferences_.WriteString("Browser", "browser-program");
    app_ = std::make_unique<CTrayApp>(Services());
    ASSERT_TRUE(app_->Start());
    app_->FinishStart();
    ASSERT_TRUE(WaitFor([this] { return !watcher_.Item().isEmpty(); }))
        << "the item registers with the watcher";
  }
  void TearDown() override {
    app_.reset();
    if (host_) {
      host_->unregisterService("org.kde.StatusNotifierWatcher");
      host_->unregisterObject("/StatusNotifierWatcher");
      QDBusConnection::disconnectFromBus("host");
    }
    watcherThread_.quit();
    watcherThread_.wait();
    RemoveFolders();
  }

  // A call of the host's; this thread serves Hopwise while it waits.
  QDBusMessage Call(const QString& path, const QString& interface, const QString& method,
                    const QVariantList& args = {}) {
    QDBusMessage call = QDBusMessage::createMethodCall(watcher_.Item(), path, interface, method);
    call.setArguments(args);
    QDBusMessage reply = host_->call(call, QDBus::BlockWithGui, 5000);
    EXPECT_EQ(QDBusMessage::ReplyMessage, reply.type())
        << method.toStdString() << ": " << reply.errorMessage().toStdString();
    return reply;
  }
  QVariant ItemProperty(const QString& name) {
    QDBusMessage reply = Call("/StatusNotifierItem", "org.freedesktop.DBus.Properties", "Get",
                              {QStringLiteral("org.kde.StatusNotifierItem"), name});
    return reply.arguments().isEmpty() ? QVariant()
                                       : qvariant_cast<QDBusVariant>(reply.arguments()[0]).variant();
  }
  void ClickIcon(const char* method) {
    Call("/StatusNotifierItem", "org.kde.StatusNotifierItem", method, {0, 0});
    QCoreApplication::processEvents();
  }
  MenuNode Layout() {
    QDBusMessage reply = Call(menuPath_, "com.canonical.dbusmenu", "GetLayout", {0, -1, QStringList{}});
    if (reply.arguments().size() < 2) return {};
    return ReadNode(qvariant_cast<QDBusArgument>(reply.arguments()[1]));
  }
  void Click(int id) {
    Call(menuPath_, "com.canonical.dbusmenu", "Event",
         {id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u});
  }

  StandInWatcher watcher_;
  QThread watcherThread_;
  std::unique_ptr<QDBusConnection> host_;
  std::unique_ptr<CTrayApp> app_;
  QString menuPath_;
};

TEST_F(SniHostTest, TheHostShowsPagesAndCommandsInOneMenuThatFollowsTheStore) {
  ASSERT_TRUE(app_->TrayWindow()->OnStatusNotifierHost());
  EXPECT_EQ(nullptr, NoTrayShown()) << "the host shows the icon";
  EXPECT_FALSE(ItemProperty("ItemIsMenu").toBool());
  menuPath_ = qvariant_cast<QDBusObjectPath>(ItemProperty("Menu")).path();
  EXPECT_EQ(menuPath_, watcher_.MenuAtRegistration());
  ASSERT_NE(QStringLiteral("/NO_DBUSMENU"), menuPath_);

  ASSERT_TRUE(app_->Store().RecordVisit("http://a.example/fish", "Fish & Chips"));
  ASSERT_TRUE(app_->Store().RecordVisit("http://b.example/snake", "snake_case"));
  MenuNode menu = Layout();
  const MenuNode* recent = menu.Find("Recent Web Pages");
  ASSERT_NE(nullptr, recent);
  Call(menuPath_, "com.canonical.dbusmenu", "AboutToShow", {recent->id});
  // As a host reads DBusMenu labels: "_x" marks a mnemonic, "__" is "_".
  ASSERT_GE(recent->children.size(), 3u);
  EXPECT_EQ(QStringLiteral("snake__case"), recent->children[0].Label());
  EXPECT_EQ(QStringLiteral("Fish & Chips"), recent->children[1].Label());
  EXPECT_TRUE(recent->children[2].IsSeparator()) << "then \"More PageMarks...\"";
  EXPECT_NE(nullptr, menu.Find("a.example")) << "the Sites are there";
  EXPECT_NE(nullptr, menu.Find("Magellan  [reviews and ratings]")) << "the link submenus are there";
  ASSERT_GE(menu.children.size(), 2u);
  EXPECT_TRUE(menu.children[menu.children.size() - 2].IsSeparator());
  const MenuNode& commands = menu.children.back();
  EXPECT_EQ(QStringLiteral("Commands"), commands.Label());
  EXPECT_NE(nullptr, commands.Find("Quick Access To _PageMarks")) << "no key the host cannot pass on";
  EXPECT_NE(nullptr, commands.Find("E_xit"));
  ASSERT_FALSE(commands.children.empty());
  EXPECT_EQ(QStringLiteral("_Find a Page..."), commands.children.front().Label()) << "first of the commands";

  ASSERT_TRUE(app_->Store().RecordVisit("http://c.example/new", "New page"));
  menu = Layout();
  recent = menu.Find("Recent Web Pages");
  ASSERT_NE(nullptr, recent);
  EXPECT_EQ(QStringLiteral("New page"), recent->children[0].Label()) << "the menu follows the store";

  Click(recent->children[2].id);
  ASSERT_TRUE(WaitFor([this] { return !launcher_.launches.empty(); }));
  EXPECT_EQ("http://a.example/fish", launcher_.launches[0].argument) << "no browser runs: it is started";
}

TEST_F(SniHostTest, ClicksOnTheIconOpenTheFindWindowAndNeverAMenuWindow) {
  ClickIcon("ContextMenu");
  ClickIcon("SecondaryActivate");
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className() << " shown";

  ClickIcon("Activate");
  FindWindow* find = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* found = qobject_cast<FindWindow*>(widget); found && found->isVisible()) find = found;
    return find != nullptr;
  }));
  EXPECT_EQ(find->Input(), find->focusWidget()) << "ready for typing";
  for (QWidget* widget : QApplication::topLevelWidgets())
    EXPECT_FALSE(qobject_cast<QMenu*>(widget) && widget->isVisible());
}

TEST_F(SniHostTest, ExitFromTheHostsMenuEndsHopwiseWithItsPagesSaved) {
  menuPath_ = qvariant_cast<QDBusObjectPath>(ItemProperty("Menu")).path();
  ASSERT_TRUE(app_->Store().RecordVisit("http://a.example/kept", "Kept"));
  bool finished = false;
  QObject::connect(app_.get(), &CTrayApp::finished, [&] { finished = true; });
  const MenuNode* exit = nullptr;
  MenuNode menu = Layout();
  exit = menu.Find("E_xit");
  ASSERT_NE(nullptr, exit);
  Click(exit->id);
  ASSERT_TRUE(WaitFor([&] { return finished; }));
  std::ifstream cache(root_ / "work" / "cache.data", std::ios::binary);
  const std::string saved{std::istreambuf_iterator<char>(cache), {}};
  EXPECT_NE(std::string::npos, saved.find("http://a.example/kept"));
}

}  // namespace

// The private bus is set up before Qt reads DBUS_SESSION_BUS_ADDRESS.
int main(int argc, char** argv) {
  std::string address;
  std::unique_ptr<ChildProcess> daemon = StartPrivateSessionBus(address);
  g_busAddress = QString::fromStdString(address);
  QApplication qtApp(argc, argv);
  QApplication::setApplicationName("Hopwise");
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  return result;
}

#include "sni_host_test.moc"
