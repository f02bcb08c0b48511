#include "windows/tool_window_set.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "windows/find_window.h"
#include "windows/page_marks_dlg.h"
#include "windows/quick_info_dlg.h"
#include "windows/sites_dlg.h"
#include "windows/topics_dlg.h"

namespace {

// A window's top-left corner at a point, moved in as far as needed to show the whole window on the
// screen that holds the point.
QPoint OnScreen(const QPoint& corner, const QSize& size) {
  const QScreen* screen = QGuiApplication::screenAt(corner);
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return corner;
  const QRect area = screen->availableGeometry();
  return QPoint(std::max(area.left(), std::min(corner.x(), area.right() + 1 - size.width())),
                std::max(area.top(), std::min(corner.y(), area.bottom() + 1 - size.height())));
}

}  // namespace

ToolWindowSet::ToolWindowSet(const WindowServices& services) : services_(services) {
  Register(ToolWindowKind::kPageMarks,
           [this](const WindowServices& s) -> QWidget* { return new CPageMarksDlg(s, sortFlags_); });
  Register(ToolWindowKind::kSites, [](const WindowServices& s) -> QWidget* { return new CSitesDlg(s); });
  Register(ToolWindowKind::kTopics, [](const WindowServices& s) -> QWidget* { return new CTopicsDlg(s); });
}

ToolWindowSet::~ToolWindowSet() {
  CloseAll();
}

void ToolWindowSet::Register(ToolWindowKind kind, Factory factory) {
  factories_[kind] = std::move(factory);
}

bool ToolWindowSet::ShowToolWindow(ToolWindowKind kind) {
  QWidget* window = Window(kind);
  if (!window) {
    auto factory = factories_.find(kind);
    if (factory == factories_.end()) return false;
    // A closed window of the kind may still wait for its deletion: CloseAll must find it too.
    if (QPointer<QWidget>& closed = open_[kind]) closing_.push_back(closed);
    window = factory->second(services_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    open_[kind] = window;
    window->show();
  }
  window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
  window->raise();
  window->activateWindow();
  // Asked for again while open (and perhaps already active): pages marked since come in now.
  if (auto* topics = qobject_cast<CTopicsDlg*>(window)) topics->TakeMarkedPages();
  return true;
}

bool ToolWindowSet::ShowPageMarksForTyping() {
  if (!ShowToolWindow(ToolWindowKind::kPageMarks)) return false;
  if (auto* pageMarks = qobject_cast<CPageMarksDlg*>(Window(ToolWindowKind::kPageMarks)))
    pageMarks->FocusFilter();
  return true;
}

bool ToolWindowSet::ShowChangedPages() {
  if (!ShowToolWindow(ToolWindowKind::kPageMarks)) return false;
  if (auto* pageMarks = qobject_cast<CPageMarksDlg*>(Window(ToolWindowKind::kPageMarks)))
    pageMarks->ShowChanged();
  return true;
}

bool ToolWindowSet::IsOpen(ToolWindowKind kind) const {
  return Window(kind) != nullptr;
}

// A window that has closed is gone, even before it is deleted.
QWidget* ToolWindowSet::Window(ToolWindowKind kind) const {
  auto found = open_.find(kind);
  if (found == open_.end() || !found->second || !found->second->isVisible()) return nullptr;
  return found->second.data();
}

bool ToolWindowSet::ShowQuickInfo(uint32_t pageMarkCommand, int screenX, int screenY) {
  const CPez* page = services_.store.FindPageMarkByCommand(pageMarkCommand);
  if (!page) return false;
  auto* dialog = new CQuickInfoDlg(services_, *page, CQuickInfoDlg::Form::kModeless);
  std::erase_if(quickInfos_, [](const QPointer<QWidget>& w) { return w.isNull(); });
  quickInfos_.emplace_back(dialog);
  // Shown without taking the keyboard: it opens from a key typed in the open tray menu, which
  // would close if another window took the focus.
  dialog->setAttribute(Qt::WA_ShowWithoutActivating);
  dialog->move(screenX, screenY);
  dialog->show();
  dialog->move(OnScreen(QPoint(screenX, screenY), dialog->frameGeometry().size()));
  dialog->raise();
  return true;
}

void ToolWindowSet::PrepareFindWindow() {
  if (findWindow_) return;
  if (!finder_) finder_ = std::make_unique<PageFinder>(services_.store, services_.topics, services_.prefs);
  finder_->Refresh();
  findWindow_ = new FindWindow(services_, *finder_, *this, clock_);
}

bool ToolWindowSet::ShowFindWindow() {
  PrepareFindWindow();
  findWindow_->ShowForSearch();
  return true;
}

FindWindow* ToolWindowSet::Find() const {
  return findWindow_.data();
}

void ToolWindowSet::CloseAll() {
  delete findWindow_.data();
  for (auto& [kind, window] : open_) delete window.data();  // a closed one waiting to be deleted too
  open_.clear();
  for (QPointer<QWidget>& window : closing_) delete window.data();
  closing_.clear();
  for (QPointer<QWidget>& dialog : quickInfos_) delete dialog.data();
  quickInfos_.clear();
}
