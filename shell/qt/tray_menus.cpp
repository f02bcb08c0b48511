#include "shell/qt/tray_menus.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

#include "shell/qt/qt_screen_metrics.h"

namespace {
constexpr char kCommandsTitle[] = "Commands";
}  // namespace

TrayMenus::TrayMenus(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, UrlOpener& opener,
                     ToolWindows& toolWindows, const ScreenMetrics* screen, QObject* parent)
    : QObject(parent),
      ownScreen_(screen ? nullptr : std::make_unique<QtScreenMetrics>()),
      menus_(prefs, store, topics, screen ? *screen : *ownScreen_, opener),
      keys_(store, menus_, toolWindows),
      mainRenderer_(nullptr, this),
      quickRenderer_(nullptr, this) {
  setObjectName(QStringLiteral("trayMenus"));
  mainRenderer_.setObjectName(QStringLiteral("mainMenuRenderer"));
  quickRenderer_.setObjectName(QStringLiteral("quickMenuRenderer"));
  displayChangeTimer_.setSingleShot(true);
  displayChangeTimer_.setInterval(0);
  connect(&displayChangeTimer_, &QTimer::timeout, this, &TrayMenus::OnDisplayChange);

  for (MenuRenderer* renderer : {&mainRenderer_, &quickRenderer_}) {
    // Queued, as a posted command: the menu loop has ended (and its end been handled) before the
    // command runs, and the renderer is out of its own signal when the command closes the program.
    connect(renderer, &MenuRenderer::chosen, this, &TrayMenus::commandChosen, Qt::QueuedConnection);
    connect(renderer, &MenuRenderer::keyTyped, this,
            [this](int code, quint32 command, std::shared_ptr<Menu> menu) {
              OnMenuCharacter(code, command, menu);
            });
    connect(renderer, &MenuRenderer::closed, this, &TrayMenus::OnMenuLoopEnded);
  }
}

TrayMenus::~TrayMenus() = default;

void TrayMenus::Build() {
  menus_.BuildMenus();
  mainRenderer_.SetModel(menus_.MainMenu());
  quickRenderer_.SetModel(menus_.QuickMenu());
}

void TrayMenus::ShowAt(Kind which, const QPoint& screenPoint) {
  MenuRenderer& renderer = which == Kind::Main ? mainRenderer_ : quickRenderer_;
  if (renderer.Model() && !renderer.IsExported()) renderer.Popup(screenPoint);
}

void TrayMenus::SetExported() {
  for (MenuRenderer* renderer : {&mainRenderer_, &quickRenderer_}) renderer->SetExported(true);
}

QMenu* TrayMenus::BuildExported() {
  QMenu* menu = mainRenderer_.Build();
  QMenu* commands = quickRenderer_.Build();
  if (!menu || !commands) return nullptr;
  commands->setTitle(QString::fromLatin1(kCommandsTitle));
  auto* separator = new QAction(menu);
  separator->setSeparator(true);
  mainRenderer_.AppendAfterModel(separator);
  mainRenderer_.AppendAfterModel(commands->menuAction());
  return menu;
}

void TrayMenus::WatchScreens() {
  for (QScreen* screen : QGuiApplication::screens()) WatchScreen(screen);
  auto displayChanged = [this] { displayChangeTimer_.start(); };
  connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, displayChanged](QScreen* screen) {
    WatchScreen(screen);
    displayChanged();
  });
  connect(qGuiApp, &QGuiApplication::screenRemoved, this, displayChanged);
  connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, displayChanged);
}

void TrayMenus::WatchScreen(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, [this] { displayChangeTimer_.start(); });
}

void TrayMenus::OnDisplayChange() {
  if (MenuOpen()) {
    rebuildWhenClosed_ = true;
    return;
  }
  menus_.RebuildMenus();
}

// A key that asks for a window closes the menu; the close is posted, as the key is still being
// delivered to that menu.
void TrayMenus::OnMenuCharacter(int code, uint32_t highlightedCommand, const std::shared_ptr<Menu>& menu) {
  if (!menu) return;
  const QPoint cursor = QCursor::pos();
  if (keys_.OnMenuKey(code, highlightedCommand, *menu, cursor.x(), cursor.y()) == MenuKeyResult::kCloseMenu)
    QMetaObject::invokeMethod(this, &TrayMenus::CloseMenus, Qt::QueuedConnection);
}

void TrayMenus::OnMenuLoopEnded() {
  keys_.OnMenuClosed();
  if (std::exchange(rebuildWhenClosed_, false)) menus_.RebuildMenus();
}

bool TrayMenus::MenuOpen() const {
  return mainRenderer_.IsOpen() || quickRenderer_.IsOpen();
}

void TrayMenus::CloseMenus() {
  mainRenderer_.Close();
  quickRenderer_.Close();
}
