#include "windows/sites_dlg.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QTreeWidget>
#include <vector>

#include "checker/walkers.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "windows/check_scope_dlg.h"
#include "windows/modal_dialog.h"
#include "windows/quick_info_dlg.h"
#include "windows/site_tree.h"
#include "windows/sites_check_view.h"
#include "windows/window_check.h"
#include "windows/window_menus.h"
#include "windows/window_placement.h"
#include "windows/window_widgets.h"

CSitesDlg::CSitesDlg(const WindowServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
  setWindowTitle("Hopwise Sites");
  setWindowIcon(LoadIconResource(res::kIconActive));
  BuildWidgets();
  items_ = std::make_unique<SiteTree>(*tree_, services_.store);
  checkView_ = std::make_unique<SiteTreeCheckView>(*items_, services_.store, *status_,
                                                   *actions_.at(res::kCmdCheckForUpdates));
  check_ =
      std::make_unique<WindowCheck>(*this, *checkView_, services_.http, services_.prefs, services_.messages);
  items_->Rebuild();
  services_.store.AddListener(this);
}

// The check goes first: its worker is stopped before anything it may ask about goes.
CSitesDlg::~CSitesDlg() {
  check_.reset();
  services_.store.RemoveListener(this);
}

void CSitesDlg::BuildWidgets() {
  const CommandHandler handler = [this](uint32_t command) { OnCommand(command); };
  actions_ = FillMenuBar(*menuBar(), res::kMenuSitesBar, handler);
  contextMenu_ = BuildContextMenu(res::kMenuSitesContext, *this, handler);
  InstallAccelerators(*this, res::kAccelSites, handler);

  tree_ = new QTreeWidget(this);
  SetUpItemTree(*tree_);
  connect(tree_, &QTreeWidget::itemSelectionChanged, this, &CSitesDlg::OnSelectionChanged);
  connect(tree_, &QTreeWidget::itemDoubleClicked, this, &CSitesDlg::OnOpen);
  connect(tree_, &QTreeWidget::customContextMenuRequested, this, &CSitesDlg::OnContextMenu);
  setCentralWidget(tree_);

  status_ = AddStatusText(*this);
  tree_->setFocus();
}

void CSitesDlg::OnCommand(uint32_t command) {
  switch (command) {
    case res::kCmdCheckForUpdates:
      return check_->OnCheckForUpdates([this] { return AskScope(); });
    case res::kCmdClose:
      close();
      return;
    case res::kCmdEditPageMarks:
      return OnEdit();
    case res::kCmdAssignToTopics:
      return OnAssignToTopics();
    case res::kCmdDeletePageMarks:
      return OnDelete();
    default:
      return;
  }
}

QTreeWidgetItem* CSitesDlg::Selected() const {
  const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
  return selected.isEmpty() ? nullptr : selected.front();
}

void CSitesDlg::OnSelectionChanged() {
  QTreeWidgetItem* item = Selected();
  if (!item) return;
  const CPez* page = items_->PageOf(item);
  status_->setText(page ? QString::fromStdString(page->url) : item->text(0));
}

void CSitesDlg::OnEdit() {
  if (const CPez* page = items_->PageOf(Selected())) {
    ModalDialog<CQuickInfoDlg> dialog(*this, services_, *page, CQuickInfoDlg::Form::kModal);
    dialog.Exec();
  }
}

void CSitesDlg::OnAssignToTopics() {
  if (const CPez* page = items_->PageOf(Selected()))
    services_.topics.AppendTopLevelLink(page->title, page->url);
}

// The items go as the store tells of each deletion.
void CSitesDlg::OnDelete() {
  QTreeWidgetItem* item = Selected();
  if (!item) return;
  std::vector<const CPez*> pages;
  if (const CPez* page = items_->PageOf(item)) pages.push_back(page);
  for (int i = 0; items_->IsSite(item) && i < item->childCount(); ++i)
    pages.push_back(items_->PageOf(item->child(i)));
  for (const CPez* page : pages) services_.store.DeletePageMark(page);
}

void CSitesDlg::OnOpen(QTreeWidgetItem* item) {
  if (const CPez* page = items_->PageOf(item)) services_.opener.OpenInBrowser(page->url);
}

// The item under the pointer is selected (none: the selection goes); only a PageMark gets a menu.
void CSitesDlg::OnContextMenu(const QPoint& position) {
  QTreeWidgetItem* item = tree_->itemAt(position);
  if (item) {
    tree_->setCurrentItem(item);
  } else {
    tree_->clearSelection();
  }
  if (items_->PageOf(item)) contextMenu_->popup(tree_->viewport()->mapToGlobal(position));
}

// The second choice checks the selected Site (a PageMark's Site); with nothing selected it checks
// every Site, as the first does.
std::optional<CheckScope> CSitesDlg::AskScope() {
  ModalDialog<CCheckScopeDlg> dialog(*this);
  dialog->SetForSite();
  if (dialog.Exec() != ModalDialog<CCheckScopeDlg>::Outcome::kAccepted) return std::nullopt;
  QTreeWidgetItem* item = Selected();
  if (item && !items_->IsSite(item)) item = item->parent();
  if (dialog->Scope() == 1 && item) return CheckScope(CheckSelectedSite, items_->KeyOf(item));
  return CheckScope(CheckAllSites);
}

QAction* CSitesDlg::MenuAction(uint32_t command) const {
  return ActionOf(actions_, command);
}

bool CSitesDlg::CheckRunning() const {
  return check_->RunRegistered();
}

void CSitesDlg::closeEvent(QCloseEvent* event) {
  if (!check_->MayClose()) return event->ignore();
  event->accept();
}

void CSitesDlg::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placed_ || event->spontaneous()) return;
  placed_ = true;
  PlaceOnPrimaryScreen(*this, SitesPlacement);
}

void CSitesDlg::OnPageMarkAdded(const CPez& p) {
  items_->AddPageMark(p);
}

void CSitesDlg::OnPageMarkChanged(const CPez& p, uint32_t what) {
  if (what & (kChangedTitle | kChangedUrl)) items_->Refresh(p, what);
}

void CSitesDlg::OnPageMarkRemoved(const CPez& p) {
  items_->RemovePageMark(p);
}

void CSitesDlg::OnStoreReset() {
  items_->Rebuild();
}
