#include "platform/qt/dbus_menu_exporter.h"

#include <QAction>
#include <QActionEvent>
#include <QDBusMetaType>
#include <QMenu>
#include <QRegularExpression>

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuLayoutItem& item) {
  arg.beginStructure();
  arg << item.id << item.properties;
  arg.beginArray(qMetaTypeId<QDBusVariant>());
  for (const DBusMenuLayoutItem& child : item.children) arg << QDBusVariant(QVariant::fromValue(child));
  arg.endArray();
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuLayoutItem& item) {
  arg.beginStructure();
  arg >> item.id >> item.properties;
  item.children.clear();
  arg.beginArray();
  while (!arg.atEnd()) {
    QDBusVariant child;
    arg >> child;
    DBusMenuLayoutItem read;
    qvariant_cast<QDBusArgument>(child.variant()) >> read;
    item.children.append(read);
  }
  arg.endArray();
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuItemProperties& item) {
  arg.beginStructure();
  arg << item.id << item.properties;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuItemProperties& item) {
  arg.beginStructure();
  arg >> item.id >> item.properties;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusMenuEvent& event) {
  arg.beginStructure();
  arg << event.id << event.eventId << event.data << event.timestamp;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusMenuEvent& event) {
  arg.beginStructure();
  arg >> event.id >> event.eventId >> event.data >> event.timestamp;
  arg.endStructure();
  return arg;
}

namespace {

bool NamesKey(const QString& text) {
  static const QRegularExpression key(QStringLiteral("^((Ctrl|Shift|Alt)[-+].+|Del|F[0-9]+)$"));
  return key.match(text).hasMatch();
}

// "&&" is one "&", "&x" marks x as the mnemonic ("_x"), a "_" of the text is written "__".
QString MnemonicForDBus(const QString& text) {
  QString label;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == u'&' && i + 1 < text.size()) {
      const QChar next = text[++i];
      if (next == u'&') {
        label += u'&';
      } else {
        label += u'_';
        label += next == u'_' ? QStringLiteral("__") : QString(next);
      }
    } else {
      label += c == u'_' ? QStringLiteral("__") : QString(c);
    }
  }
  return label;
}

}  // namespace

DBusMenuExporter::DBusMenuExporter(QMenu* menu, QObject* parent) : QObject(parent), menu_(menu) {
  RegisterTypes();
  changed_.setSingleShot(true);
  changed_.setInterval(0);
  connect(&changed_, &QTimer::timeout, this, [this] { emit LayoutUpdated(++revision_, 0); });
  if (menu_) Watch(menu_);
}

DBusMenuExporter::~DBusMenuExporter() {
  for (const QPointer<QMenu>& menu : watched_)
    if (menu) menu->removeEventFilter(this);
}

void DBusMenuExporter::RegisterTypes() {
  qDBusRegisterMetaType<DBusMenuLayoutItem>();
  qDBusRegisterMetaType<DBusMenuItemProperties>();
  qDBusRegisterMetaType<QList<DBusMenuItemProperties>>();
  qDBusRegisterMetaType<DBusMenuEvent>();
  qDBusRegisterMetaType<QList<DBusMenuEvent>>();
}

bool DBusMenuExporter::Register(QDBusConnection connection, const QString& path) {
  return connection.registerObject(
      path, this, QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
}

QString DBusMenuExporter::Label(const QString& actionText) {
  const qsizetype tab = actionText.indexOf(u'\t');
  QString label = MnemonicForDBus(actionText.left(tab));
  if (tab < 0) return label;
  QString after = actionText.mid(tab + 1);
  if (!after.isEmpty() && !NamesKey(after))
    label += QStringLiteral("  ") + after.replace(u'_', QStringLiteral("__"));
  return label;
}

void DBusMenuExporter::Watch(QMenu* menu) {
  if (watched_.contains(menu)) return;
  watched_.append(menu);
  menu->installEventFilter(this);
}

bool DBusMenuExporter::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ActionAdded:
    case QEvent::ActionRemoved:
    case QEvent::ActionChanged:
      changed_.start();
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

int DBusMenuExporter::IdOf(QAction* action) {
  auto found = ids_.find(action);
  if (found != ids_.end()) return *found;
  const int id = nextId_++;
  ids_.insert(action, id);
  actions_.insert(id, action);
  connect(action, &QObject::destroyed, this, [this, action, id] {
    ids_.remove(action);
    actions_.remove(id);
  });
  return id;
}

QAction* DBusMenuExporter::ActionOf(int id) const {
  return actions_.value(id).data();
}

QMenu* DBusMenuExporter::MenuOf(int id) const {
  if (id == 0) return menu_;
  QAction* action = ActionOf(id);
  return action ? action->menu() : nullptr;
}

QVariantMap DBusMenuExporter::Properties(QAction* action) const {
  QVariantMap properties;
  if (action->isSeparator()) {
    properties.insert(QStringLiteral("type"), QStringLiteral("separator"));
  } else {
    properties.insert(QStringLiteral("label"), Label(action->text()));
    properties.insert(QStringLiteral("enabled"), action->isEnabled());
    if (action->menu()) properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
    if (action->isCheckable()) {
      properties.insert(QStringLiteral("toggle-type"), QStringLiteral("checkmark"));
      properties.insert(QStringLiteral("toggle-state"), action->isChecked() ? 1 : 0);
    }
  }
  properties.insert(QStringLiteral("visible"), action->isVisible());
  return properties;
}

// depth -1: all the way down; 0: the item alone.
DBusMenuLayoutItem DBusMenuExporter::Layout(int id, QMenu* menu, int depth) {
  DBusMenuLayoutItem item;
  item.id = id;
  if (QAction* action = ActionOf(id)) item.properties = Properties(action);
  if (id == 0) item.properties.insert(QStringLiteral("children-display"), QStringLiteral("submenu"));
  if (!menu || depth == 0) return item;
  Watch(menu);
  for (QAction* child : menu->actions()) {
    const int childId = IdOf(child);
    item.children.append(Layout(childId, child->menu(), depth < 0 ? -1 : depth - 1));
  }
  return item;
}

uint DBusMenuExporter::GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                 DBusMenuLayoutItem& layout) {
  layout = Layout(parentId, MenuOf(parentId), recursionDepth);
  return revision_;
}

QList<DBusMenuItemProperties> DBusMenuExporter::GetGroupProperties(const QList<int>& ids,
                                                                   const QStringList& propertyNames) {
  QList<DBusMenuItemProperties> result;
  for (int id : ids)
    if (QAction* action = ActionOf(id)) result.append({id, Properties(action)});
  return result;
}

QDBusVariant DBusMenuExporter::GetProperty(int id, const QString& name) {
  QAction* action = ActionOf(id);
  return QDBusVariant(action ? Properties(action).value(name) : QVariant(QString()));
}

// A click triggers the QAction as a click in the QMenu would; "opened" and "closed" of a menu
// reach it as aboutToShow and aboutToHide.
void DBusMenuExporter::Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp) {
  if (eventId == QLatin1String("clicked")) {
    QAction* action = ActionOf(id);
    if (action && action->isEnabled() && !action->menu()) action->trigger();
  } else if (QMenu* menu = MenuOf(id); menu && eventId == QLatin1String("opened")) {
    emit menu->aboutToShow();
  } else if (menu && eventId == QLatin1String("closed")) {
    emit menu->aboutToHide();
  }
}

QList<int> DBusMenuExporter::EventGroup(const QList<DBusMenuEvent>& events) {
  QList<int> unknown;
  for (const DBusMenuEvent& event : events) {
    if (event.id != 0 && !ActionOf(event.id))
      unknown.append(event.id);
    else
      Event(event.id, event.eventId, event.data, event.timestamp);
  }
  return unknown;
}

// The menus are kept in step with what they show all the time: nothing to fill before showing.
bool DBusMenuExporter::AboutToShow(int id) {
  return false;
}

QList<int> DBusMenuExporter::AboutToShowGroup(const QList<int>& ids, QList<int>& idErrors) {
  for (int id : ids)
    if (!MenuOf(id)) idErrors.append(id);
  return {};
}
