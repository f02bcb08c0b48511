#include "windows/sites_dlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QTreeView>
#include <vector>

#include "checker/walkers.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "windows/check_scope_dlg.h"
#include "windows/modal_dialog.h"
#include "windows/quick_info_dlg.h"
#include "windows/site_tree_model.h"
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
  checkView_ = std::make_unique<SiteTreeCheckView>(*model_, services_.store, *status_,
                                                   *actions_.at(res::kCmdCheckForUpdates));
  check_ =
      std::make_unique<WindowCheck>(*this, *checkView_, services_.http, services_.prefs, services_.messages);
}

// The check goes first: its worker is stopped before anything it may ask about goes.
CSitesDlg::~CSitesDlg() {
  check_.reset();
}

void CSitesDlg::BuildWidgets() {
  const CommandHandler handler = [this](uint32_t command) { OnCommand(command); };
  actions_ = FillMenuBar(*menuBar(), res::kMenuSitesBar, handler);
  contextMenu_ = BuildContextMenu(res::kMenuSitesContext, *this, handler, &contextActions_);
  InstallAccelerators(*this, res::kAccelSites, handler);

  model_ = new SiteTreeModel(services_.store, this);
  model_->SetWatched(&services_.watched);
  tree_ = new QTreeView(this);
  SetUpItemTree(*tree_);
  tree_->setModel(model_);
  connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CSitesDlg::OnSelectionChanged);
  connect(tree_, &QTreeView::doubleClicked, this, &CSitesDlg::OnOpen);
  connect(tree_, &QTreeView::customContextMenuRequested, this, &CSitesDlg::OnContextMenu);
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
    case res::kCmdWatchPages:
      return OnWatch();
    default:
      return;
  }
}

QModelIndex CSitesDlg::Selected() const {
  const QModelIndexList selected = tree_->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? QModelIndex() : selected.front();
}

void CSitesDlg::OnSelectionChanged() {
  const QModelIndex index = Selected();
  if (!index.isValid()) return;
  const CPez* page = model_->PageAt(index);
  status_->setText(page ? QString::fromStdString(page->url) : index.data().toString());
}

void CSitesDlg::OnEdit() {
  if (const CPez* page = model_->PageAt(Selected())) {
    ModalDialog<CQuickInfoDlg> dialog(*this, services_, *page, CQuickInfoDlg::Form::kModal);
    dialog.Exec();
  }
}

void CSitesDlg::OnAssignToTopics() {
  if (const CPez* page = model_->PageAt(Selected()))
    services_.topics.AppendTopLevelLink(page->title, page->url);
}

// The rows go as the store tells of each deletion; a Site goes with its last PageMark.
void CSitesDlg::OnDelete() {
  const QModelIndex index = Selected();
  std::vector<const CPez*> pages;
  if (const CPez* page = model_->PageAt(index)) pages.push_back(page);
  if (const PageMarkSite* site = model_->SiteAt(index))
    pages.assign(site->pages.rbegin(), site->pages.rend());
  for (const CPez* page : pages) services_.store.DeletePageMark(page);
}

void CSitesDlg::OnWatch() {
  const CPez* page = model_->PageAt(Selected());
  if (!page) return;
  status_->setText(QString::fromStdString(
      ToggleWatch(services_.watched, {{page->url, page->title}}, services_.prefs.watchHours)));
}

void CSitesDlg::OnOpen(const QModelIndex& index) {
  if (const CPez* page = model_->PageAt(index)) services_.opener.OpenInBrowser(page->url);
}

// The item under the pointer is selected (none: the selection goes); only a PageMark gets a menu.
void CSitesDlg::OnContextMenu(const QPoint& position) {
  const QModelIndex index = tree_->indexAt(position);
  if (index.isValid()) {
    tree_->setCurrentIndex(index);
  } else {
    tree_->clearSelection();
  }
  const CPez* page = model_->PageAt(index);
  if (!page) return;
  if (QAction* watch = ActionOf(contextActions_, res::kCmdWatchPages))
    watch->setText(WatchCommandLabel(services_.watched, {{page->url, page->title}}));
  contextMenu_->popup(tree_->viewport()->mapToGlobal(position));
}

// The second choice checks the selected Site (a PageMark's Site); with nothing selected it checks
// every Site, as the first does.
std::optional<CheckScope> CSitesDlg::AskScope() {
  ModalDialog<CCheckScopeDlg> dialog(*this);
  dialog->SetForSite();
  if (dialog.Exec() != ModalDialog<CCheckScopeDlg>::Outcome::kAccepted) return std::nullopt;
  QModelIndex index = Selected();
  if (model_->PageAt(index)) index = index.parent();
  const PageMarkSite* site = model_->SiteAt(index);
  if (dialog->Scope() == 1 && site) return CheckScope(CheckSelectedSite, checkView_->KeyOf(*site));
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
