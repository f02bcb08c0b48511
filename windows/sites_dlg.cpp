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
#include "windows/shown_text.h"
#include "windows/site_tree_model.h"
#include "windows/sites_check_view.h"
#include "windows/window_check.h"
#include "windows/window_menus.h"
#include "windows/window_placement.h"
#include "windows/window_widgets.h"

namespace {

// A Site row's name is its key: the count after it changes.
QString SiteName(const QModelIndex& index, const SiteTreeModel& model) {
  const PageMarkSite* site = model.SiteAt(index);
  return site ? QString::fromStdString(site->key) : QString();
}

}  // namespace

CSitesDlg::CSitesDlg(const WindowServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
  setWindowTitle("Hopwise Sites");
  setWindowIcon(LoadIconResource(res::kIconActive));
  BuildWidgets();
  checkView_ = std::make_unique<SiteTreeCheckView>(*model_, services_.store, *status_,
                                                   *actions_.at(res::kCmdCheckForUpdates));
  check_ =
      std::make_unique<WindowCheck>(*this, *checkView_, services_.http, services_.prefs, services_.messages);
  const auto name = [this](const QModelIndex& index) { return SiteName(index, *model_); };
  ExpandRows(*tree_, QString::fromStdString(services_.prefs.expandedSites).split(u'\n', Qt::SkipEmptyParts),
             name);
  connect(model_, &QAbstractItemModel::modelAboutToBeReset, this,
          [this, name] { expandedBeforeReset_ = ExpandedRows(*tree_, name); });
  connect(model_, &QAbstractItemModel::modelReset, this,
          [this, name] { ExpandRows(*tree_, std::exchange(expandedBeforeReset_, {}), name); });
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(model_, signal, this, &CSitesDlg::ShowStatus);
  connect(model_, &QAbstractItemModel::modelReset, this, &CSitesDlg::ShowStatus);
  ShowStatus();
  EnableCommands();
}

// The check goes first: its worker is stopped before anything it may ask about goes.
CSitesDlg::~CSitesDlg() {
  check_.reset();
  const auto name = [this](const QModelIndex& index) { return SiteName(index, *model_); };
  services_.prefs.expandedSites = ExpandedRows(*tree_, name).join(u'\n').toStdString();
}

void CSitesDlg::BuildWidgets() {
  const CommandHandler handler = [this](uint32_t command) { OnCommand(command); };
  actions_ = FillMenuBar(*menuBar(), res::kMenuSitesBar, handler);
  contextMenu_ = BuildContextMenu(res::kMenuSitesContext, *this, handler, &commandActions_);
  commandActions_.insert(actions_.begin(), actions_.end());
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
  ShowStatus();
  EnableCommands();
}

// A check's progress stays until the selection changes.
void CSitesDlg::ShowStatus() {
  if (const CPez* page = model_->PageAt(Selected())) return status_->setText(ShownUrl(page->url));
  const std::size_t sites = services_.store.SiteKeys().size();
  const std::size_t pages = services_.store.Count();
  status_->setText(QStringLiteral("%1 %2 in %3 %4")
                       .arg(pages)
                       .arg(pages == 1 ? "PageMark" : "PageMarks")
                       .arg(sites)
                       .arg(sites == 1 ? "Site" : "Sites"));
}

// Edit and Assign to Topics act on a PageMark; Delete on a PageMark or a Site.
void CSitesDlg::EnableCommands() {
  const QModelIndex index = Selected();
  const bool page = model_->PageAt(index) != nullptr;
  EnableCommand(commandActions_, res::kCmdEditPageMarks, page);
  EnableCommand(commandActions_, res::kCmdAssignToTopics, page);
  EnableCommand(commandActions_, res::kCmdDeletePageMarks, page || model_->SiteAt(index));
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

// The rows go as the store tells of each deletion; a Site goes with its last PageMark, once the
// user agrees to forget them all.
void CSitesDlg::OnDelete() {
  const QModelIndex index = Selected();
  std::vector<const CPez*> pages;
  if (const CPez* page = model_->PageAt(index)) pages.push_back(page);
  if (const PageMarkSite* site = model_->SiteAt(index)) {
    const std::string key = site->key;
    const std::size_t count = site->pages.size();
    const std::string question = count == 1
                                     ? "Forget the page of " + key + "?"
                                     : "Forget the " + std::to_string(count) + " pages of " + key + "?";
    if (!services_.messages.YesNo(question)) return;
    const PageMarkSite* still = services_.store.SiteRow(key) < services_.store.SiteKeys().size()
                                    ? &services_.store.SiteAt(services_.store.SiteRow(key))
                                    : nullptr;
    if (!still || still->key != key) return;  // gone while the question was up
    pages.assign(still->pages.rbegin(), still->pages.rend());
  }
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
  LabelCommand(commandActions_, res::kCmdWatchPages,
               WatchCommandLabel(services_.watched, {{page->url, page->title}}));
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
