#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QIcon>
#include <QList>
#include <QObject>
#include <QString>
#include <memory>

#include "platform/qt/dbus_menu_exporter.h"

class QDBusServiceWatcher;
class QMenu;

// An icon image as the item sends it: width, height, ARGB32 pixels in network byte order.
struct DBusImage {
  int width = 0;
  int height = 0;
  QByteArray pixels;
};
using DBusImageList = QList<DBusImage>;
struct DBusToolTip {
  QString iconName;
  DBusImageList image;
  QString title;
  QString text;
};
Q_DECLARE_METATYPE(DBusImage)
Q_DECLARE_METATYPE(DBusImageList)
Q_DECLARE_METATYPE(DBusToolTip)
QDBusArgument& operator<<(QDBusArgument& arg, const DBusImage& image);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusImage& image);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusToolTip& tip);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusToolTip& tip);

// The tray icon on a StatusNotifierItem host: an org.kde.StatusNotifierItem on the session bus,
// registered with the StatusNotifierWatcher (again whenever a watcher appears, as when the panel
// restarts), with its menu exported over DBusMenu at /MenuBar. The host draws icon, tooltip and
// menu; its clicks come as signals. ItemIsMenu is false: a left click is the item's own (Activate),
// the menu belongs to the right click. (Qt's own item cannot be used: it lives in the platform
// theme, which some platforms, the offscreen one among them, do not load, and its DBusMenu labels
// turn the first "&" of a page title into a mnemonic and keep "_" as one.)
class StatusNotifierItem : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category READ Category)
  Q_PROPERTY(QString Id READ Id)
  Q_PROPERTY(QString Title READ Title)
  Q_PROPERTY(QString Status READ Status)
  Q_PROPERTY(int WindowId READ WindowId)
  Q_PROPERTY(QString IconName READ Empty)
  Q_PROPERTY(DBusImageList IconPixmap READ IconPixmap)
  Q_PROPERTY(QString OverlayIconName READ Empty)
  Q_PROPERTY(DBusImageList OverlayIconPixmap READ NoImage)
  Q_PROPERTY(QString AttentionIconName READ Empty)
  Q_PROPERTY(DBusImageList AttentionIconPixmap READ NoImage)
  Q_PROPERTY(QString AttentionMovieName READ Empty)
  Q_PROPERTY(DBusToolTip ToolTip READ ToolTip)
  Q_PROPERTY(bool ItemIsMenu READ ItemIsMenu)
  Q_PROPERTY(QDBusObjectPath Menu READ Menu)

 public:
  explicit StatusNotifierItem(const QString& title, QObject* parent = nullptr);
  ~StatusNotifierItem() override;

  // Puts the item on the session bus and registers it with the watcher. False without a bus.
  bool Register();
  // The service name the item was registered under; empty before Register.
  const QString& ServiceName() const { return service_; }

  void SetIcon(const QIcon& icon);
  // The first line is the tooltip's title, the rest its text.
  void SetToolTip(const QString& tip);
  // The menu the host shows (exported at /MenuBar); the caller keeps it.
  void SetMenu(QMenu* menu);

  QString Category() const { return QStringLiteral("ApplicationStatus"); }
  QString Id() const { return QStringLiteral("hopwise"); }
  QString Title() const { return title_; }
  QString Status() const { return QStringLiteral("Active"); }
  int WindowId() const { return 0; }
  QString Empty() const { return {}; }
  DBusImageList IconPixmap() const { return pixmaps_; }
  DBusImageList NoImage() const { return {}; }
  DBusToolTip ToolTip() const;
  bool ItemIsMenu() const { return false; }
  QDBusObjectPath Menu() const;

 public slots:
  Q_SCRIPTABLE void Activate(int x, int y);
  Q_SCRIPTABLE void SecondaryActivate(int x, int y);
  Q_SCRIPTABLE void ContextMenu(int x, int y);
  Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);

 signals:
  // The host's left click.
  void activated();
  // A host that shows no DBusMenu asks the item for its menu (right click).
  void contextMenuRequested();
  Q_SCRIPTABLE void NewIcon();
  Q_SCRIPTABLE void NewToolTip();
  Q_SCRIPTABLE void NewStatus(const QString& status);
  Q_SCRIPTABLE void NewTitle();

 private:
  void RegisterWithWatcher();

  QDBusConnection bus_;
  QString service_;
  QString title_;
  QString tipTitle_;
  QString tipText_;
  DBusImageList pixmaps_;
  std::unique_ptr<DBusMenuExporter> menu_;
  QDBusServiceWatcher* watcherWatch_ = nullptr;
  bool registered_ = false;
};
