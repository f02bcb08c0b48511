#pragma once

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusVariant>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

class QAction;
class QMenu;

// One item of a DBusMenu layout: its id, its properties and, as far as asked for, its children.
struct DBusMenuLayoutItem {
  int id = 0;
  QVariantMap properties;
  QList<DBusMenuLayoutItem> children;
};
struct DBusMenuItemProperties {
  int id = 0;
  QVariantMap properties;
};
struct DBusMenuEvent {
  int id = 0;
  QString eventId;
  QDBusVariant data;
  uint timestamp = 0;
};
Q_DECLARE_METATYPE(DBusMenuLayoutItem)
Q_DECLARE_METATYPE(DBusMenuItemProperties)
Q_DECLARE_METATYPE(QList<DBusMenuItemProperties>)
Q_DECLARE_METATYPE(DBusMenuEvent)
Q_DECLARE_METATYPE(QList<DBusMenuEvent>)
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item);
QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event);
const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event);

// Puts a QMenu with its submenus on the session bus as com.canonical.dbusmenu, the menu a
// StatusNotifierItem host draws for the item. The host reads the layout (GetLayout), is told when
// it changed (LayoutUpdated, once per burst of changes of any QMenu it has read), and sends the
// user's click (Event "clicked"), which triggers the QAction as a click in the QMenu would. Each
// QAction keeps its id for as long as it lives; the top menu is id 0.
//
// Labels: the QAction's text with its mnemonic written the DBusMenu way ("&x" -> "_x", "&&" ->
// "&", "_" -> "__"). The text after a tab (the right-aligned column of a QMenu) follows after two
// blanks, unless it names a key ("Ctrl-Q", "Del", "F2"), which no host passes on to the program.
class DBusMenuExporter : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
  Q_PROPERTY(uint Version READ Version)
  Q_PROPERTY(QString TextDirection READ TextDirection)
  Q_PROPERTY(QString Status READ Status)
  Q_PROPERTY(QStringList IconThemePath READ IconThemePath)

 public:
  // menu stays the caller's; it must outlive this object or be deleted with it.
  DBusMenuExporter(QMenu* menu, QObject* parent = nullptr);
  ~DBusMenuExporter() override;

  // Registers the object at path on the connection. False when the path is taken.
  bool Register(QDBusConnection connection, const QString& path);
  static void RegisterTypes();
  static QString Label(const QString& actionText);

  uint Version() const { return 3; }
  QString TextDirection() const { return QStringLiteral("ltr"); }
  QString Status() const { return QStringLiteral("normal"); }
  QStringList IconThemePath() const { return {}; }

 public slots:
  Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                              DBusMenuLayoutItem& layout);
  Q_SCRIPTABLE QList<DBusMenuItemProperties> GetGroupProperties(const QList<int>& ids,
                                                                const QStringList& propertyNames);
  Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString& name);
  Q_SCRIPTABLE void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
  Q_SCRIPTABLE QList<int> EventGroup(const QList<DBusMenuEvent>& events);
  Q_SCRIPTABLE bool AboutToShow(int id);
  Q_SCRIPTABLE QList<int> AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors);

 signals:
  Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);
  Q_SCRIPTABLE void ItemActivationRequested(int id, uint timestamp);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int IdOf(QAction* action);
  QAction* ActionOf(int id) const;
  // The menu whose items are the children of id: the top menu for 0, an action's submenu.
  QMenu* MenuOf(int id) const;
  void Watch(QMenu* menu);
  DBusMenuLayoutItem Layout(int id, QMenu* menu, int depth);
  QVariantMap Properties(QAction* action) const;

  QPointer<QMenu> menu_;
  QHash<QAction*, int> ids_;
  QHash<int, QPointer<QAction>> actions_;
  QList<QPointer<QMenu>> watched_;
  int nextId_ = 1;
  uint revision_ = 1;
  QTimer changed_;  // one LayoutUpdated for a burst of changes
};
