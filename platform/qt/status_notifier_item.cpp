#include "platform/qt/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QMenu>
#include <QtEndian>

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");
constexpr int kIconSizes[] = {16, 22, 32, 48, 64};

DBusImage ToDBusImage(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  DBusImage result{image.width(), image.height(), {}};
  result.pixels.resize(static_cast<qsizetype>(image.sizeInBytes()));
  auto* out = reinterpret_cast<quint32*>(result.pixels.data());
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) *out++ = qToBigEndian(line[x]);
  }
  return result;
}

}  // namespace

QDBusArgument& operator<<(QDBusArgument& arg, const DBusImage& image) {
  arg.beginStructure();
  arg << image.width << image.height << image.pixels;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusImage& image) {
  arg.beginStructure();
  arg >> image.width >> image.height >> image.pixels;
  arg.endStructure();
  return arg;
}

QDBusArgument& operator<<(QDBusArgument& arg, const DBusToolTip& tip) {
  arg.beginStructure();
  arg << tip.iconName << tip.image << tip.title << tip.text;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, DBusToolTip& tip) {
  arg.beginStructure();
  arg >> tip.iconName >> tip.image >> tip.title >> tip.text;
  arg.endStructure();
  return arg;
}

StatusNotifierItem::StatusNotifierItem(const QString& title, QObject* parent)
    : QObject(parent), bus_(QDBusConnection::sessionBus()), title_(title) {
  qDBusRegisterMetaType<DBusImage>();
  qDBusRegisterMetaType<DBusImageList>();
  qDBusRegisterMetaType<DBusToolTip>();
  DBusMenuExporter::RegisterTypes();
}

StatusNotifierItem::~StatusNotifierItem() {
  if (!registered_) return;
  bus_.unregisterObject(kMenuPath);
  bus_.unregisterObject(kItemPath);
  bus_.unregisterService(service_);
}

bool StatusNotifierItem::Register() {
  if (!bus_.isConnected()) return false;
  service_ = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
  registered_ =
      bus_.registerService(service_) &&
      bus_.registerObject(kItemPath, this,
                          QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
  if (!registered_) return false;
  if (menu_) menu_->Register(bus_, kMenuPath);
  watcherWatch_ = new QDBusServiceWatcher(kWatcher, bus_, QDBusServiceWatcher::WatchForRegistration, this);
  connect(watcherWatch_, &QDBusServiceWatcher::serviceRegistered, this,
          &StatusNotifierItem::RegisterWithWatcher);
  RegisterWithWatcher();
  return true;
}

// Not waited for: the watcher may be slow, or be this very process in a test.
void StatusNotifierItem::RegisterWithWatcher() {
  QDBusMessage call = QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                                     kWatcher, QStringLiteral("RegisterStatusNotifierItem"));
  call.setArguments({service_});
  bus_.asyncCall(call);
}

void StatusNotifierItem::SetIcon(const QIcon& icon) {
  pixmaps_.clear();
  for (int size : kIconSizes) {
    const QImage image = icon.pixmap(size).toImage();
    if (!image.isNull()) pixmaps_.append(ToDBusImage(image));
  }
  emit NewIcon();
}

void StatusNotifierItem::SetToolTip(const QString& tip) {
  const qsizetype newline = tip.indexOf(u'\n');
  tipTitle_ = tip.left(newline);
  tipText_ = newline < 0 ? QString() : tip.mid(newline + 1);
  emit NewToolTip();
}

void StatusNotifierItem::SetMenu(QMenu* menu) {
  if (registered_ && menu_) bus_.unregisterObject(kMenuPath);
  menu_ = menu ? std::make_unique<DBusMenuExporter>(menu) : nullptr;
  if (registered_ && menu_) menu_->Register(bus_, kMenuPath);
}

DBusToolTip StatusNotifierItem::ToolTip() const {
  return {QString(), {}, tipTitle_, tipText_};
}

QDBusObjectPath StatusNotifierItem::Menu() const {
  return QDBusObjectPath(menu_ ? kMenuPath : QStringLiteral("/NO_DBUSMENU"));
}

void StatusNotifierItem::Activate(int, int) {
  emit activated();
}
void StatusNotifierItem::SecondaryActivate(int, int) {}
void StatusNotifierItem::ContextMenu(int, int) {
  emit contextMenuRequested();
}
void StatusNotifierItem::Scroll(int, const QString&) {}
