#include "windows/topics_dlg.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QShowEvent>
#include <QStatusBar>

#include "checker/walkers.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "store/topic_edits.h"
#include "windows/check_scope_dlg.h"
#include "windows/modal_dialog.h"
#include "windows/shown_text.h"
#include "windows/text_dialogs.h"
#include "windows/topic_tree.h"
#include "windows/topic_tree_widget.h"
#include "windows/topics_check_view.h"
#include "windows/topics_exchange.h"
#include "windows/window_check.h"
#include "windows/window_menus.h"
#include "windows/window_placement.h"
#include "windows/window_widgets.h"

namespace {

constexpr char kFolderStatus[] = "Topic/Folder";
constexpr char kClosedFolderStatus[] = "This Topic's file could not be read: nothing can be added to it.";
constexpr char kEmptyHint[] =
    "No Topics yet.\n\nAdd a folder or a page from the Edit menu, import a bookmark file from the File "
    "menu, or file a page from the PageMarks or Sites window with Ctrl+T.";

// A folder's name in the stored list of expanded folders.
QString FolderName(const QModelIndex& index) {
  return index.data(Qt::DisplayRole).toString();
}

}  // namespace

CTopicsDlg::CTopicsDlg(const WindowServices& services, QWidget* parent)
    : QMainWindow(parent), services_(services) {
  setWindowTitle("Hopwise Topics");
  setWindowIcon(LoadIconResource(res::kIconActive));
  FileMarkedPages(services_.store, services_.topics);
  items_ = std::make_unique<TopicTree>(services_.topics);
  items_->SetWatched(&services_.watched);
  BuildWidgets();
  checkView_ = std::make_unique<TopicTreeCheckView>(*items_, services_.topics, services_.store, *status_,
                                                    *actions_.at(res::kCmdCheckForUpdates),
                                                    [this] { return tree_->Dragging(); });
  check_ =
      std::make_unique<WindowCheck>(*this, *checkView_, services_.http, services_.prefs, services_.messages);
  ExpandRows(*tree_, QString::fromStdString(services_.prefs.expandedTopics).split(u'\n', Qt::SkipEmptyParts),
             FolderName);
  connect(items_.get(), &QAbstractItemModel::modelAboutToBeReset, this,
          [this] { expandedBeforeReset_ = ExpandedRows(*tree_, FolderName); });
  connect(items_.get(), &QAbstractItemModel::modelReset, this,
          [this] { ExpandRows(*tree_, std::exchange(expandedBeforeReset_, {}), FolderName); });
  for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
    connect(items_.get(), signal, this, &CTopicsDlg::ShowEmptyHint);
  connect(items_.get(), &QAbstractItemModel::modelReset, this, &CTopicsDlg::ShowEmptyHint);
  ShowEmptyHint();
  EnableCommands();
}

// The check goes first: its worker is stopped before anything it may ask about goes.
CTopicsDlg::~CTopicsDlg() {
  check_.reset();
  services_.prefs.expandedTopics = ExpandedRows(*tree_, FolderName).join(u'\n').toStdString();
}

void CTopicsDlg::BuildWidgets() {
  const CommandHandler handler = [this](uint32_t command) { OnCommand(command); };
  actions_ = FillMenuBar(*menuBar(), res::kMenuTopicsBar, handler);
  contextMenu_ = BuildContextMenu(res::kMenuTopicsContext, *this, handler, &commandActions_);
  commandActions_.insert(actions_.begin(), actions_.end());
  InstallAccelerators(*this, res::kAccelTopics, handler);

  tree_ = new TopicTreeWidget(this);
  tree_->setModel(items_.get());
  connect(tree_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CTopicsDlg::OnSelectionChanged);
  connect(tree_, &QTreeView::doubleClicked, this, &CTopicsDlg::OnOpen);
  connect(tree_, &QTreeView::customContextMenuRequested, this, &CTopicsDlg::OnContextMenu);
  connect(tree_, &TopicTreeWidget::dragEnded, this, &CTopicsDlg::OnDragEnded);
  setCentralWidget(tree_);

  status_ = AddStatusText(*this);
  emptyHint_ = AddEmptyViewHint(*tree_);
  emptyHint_->setText(kEmptyHint);
  tree_->setFocus();
}

void CTopicsDlg::OnCommand(uint32_t command) {
  switch (command) {
    case res::kCmdImportBookmarks:
      if (std::string path = AskImportFile(*this); !path.empty()) ImportFile(path);
      return;
    case res::kCmdImportFromBrowser:
      return ImportBrowserProfile();
    case res::kCmdExportTopics:
      if (std::string path = AskExportFile(*this); !path.empty()) ExportFile(path);
      return;
    case res::kCmdCheckForUpdates:
      return check_->OnCheckForUpdates([this] { return AskScope(); });
    case res::kCmdClose:
      close();
      return;
    case res::kCmdDeleteTopic:
      return OnDelete();
    case res::kCmdWatchPages:
      return OnWatch();
    case res::kCmdNewTopicLink:
      return OnNewLink();
    case res::kCmdNewTopicFolder:
      return OnNewFolder();
    case res::kCmdEditTopic:
      return OnEdit();
    default:
      return;
  }
}

void CTopicsDlg::ImportFile(const std::string& path) {
  if (importing_) return;
  importing_ = true;
  QPointer<CTopicsDlg> alive(this);
  const std::string text = ImportBookmarksFile(*this, path, services_.topics, services_.messages);
  if (!alive) return;
  importing_ = false;
  if (!text.empty()) ShowStatus(text);
}

void CTopicsDlg::ImportBrowserProfile() {
  if (importing_) return;
  importing_ = true;
  QPointer<CTopicsDlg> alive(this);
  const std::string text = ImportFromBrowser(*this, services_);
  if (!alive) return;
  importing_ = false;
  if (!text.empty()) ShowStatus(text);
}

void CTopicsDlg::ExportFile(const std::string& path) {
  const std::string text = ExportTopicsFile(path, services_.topics, services_.messages);
  if (!text.empty()) ShowStatus(text);
}

const CTopic& CTopicsDlg::Selected() const {
  const QModelIndexList selected = tree_->selectionModel()->selectedRows();
  const CTopic* node = selected.isEmpty() ? nullptr : items_->NodeOf(selected.front());
  return node ? *node : services_.topics.Root();
}

void CTopicsDlg::Select(const CTopic* node) {
  if (const QModelIndex index = items_->IndexOf(node); index.isValid()) {
    tree_->setCurrentIndex(index);
    tree_->scrollTo(index);
  }
}

void CTopicsDlg::ShowStatus(const std::string& text) {
  status_->setText(QString::fromStdString(text));
}

void CTopicsDlg::OnSelectionChanged() {
  const QModelIndexList selected = tree_->selectionModel()->selectedRows();
  const CTopic* node = selected.isEmpty() ? nullptr : items_->NodeOf(selected.front());
  if (node) status_->setText(node->isFolder ? QString::fromLatin1(kFolderStatus) : ShownUrl(node->target));
  EnableCommands();
}

// Edit and Delete act on the selected node: with none they are greyed.
void CTopicsDlg::EnableCommands() {
  const bool any = tree_->selectionModel()->hasSelection();
  EnableCommand(commandActions_, res::kCmdEditTopic, any);
  EnableCommand(commandActions_, res::kCmdDeleteTopic, any);
}

void CTopicsDlg::ShowEmptyHint() {
  emptyHint_->setVisible(items_->rowCount() == 0);
}

void CTopicsDlg::OnOpen(const QModelIndex& index) {
  const CTopic* node = items_->NodeOf(index);
  if (node && !node->isFolder) services_.opener.OpenInBrowser(node->target);
}

// The item under the pointer is selected (none: the selection goes, and the commands act on the
// top level).
void CTopicsDlg::OnContextMenu(const QPoint& position) {
  if (const QModelIndex index = tree_->indexAt(position); index.isValid()) {
    tree_->setCurrentIndex(index);
  } else {
    tree_->clearSelection();
    tree_->setCurrentIndex(QModelIndex());
  }
  const CTopic& node = Selected();
  const std::vector<PageRef> links =
      &node == &services_.topics.Root() ? std::vector<PageRef>() : LinksOf(node);
  LabelCommand(commandActions_, res::kCmdWatchPages, WatchCommandLabel(services_.watched, links));
  EnableCommand(commandActions_, res::kCmdWatchPages, !links.empty());
  contextMenu_->popup(tree_->viewport()->mapToGlobal(position));
}

void CTopicsDlg::OnWatch() {
  const CTopic& node = Selected();
  if (&node == &services_.topics.Root()) return;
  const std::string text = ToggleWatch(services_.watched, LinksOf(node), services_.prefs.watchHours);
  if (!text.empty()) ShowStatus(text);
}

void CTopicsDlg::OnNewFolder() {
  ModalDialog<CNewTopicDlg> dialog(*this, services_.messages);
  if (dialog.Exec() != ModalDialog<CNewTopicDlg>::Outcome::kAccepted) return;
  const TopicPlace place = NewFolderPlace(Selected());
  if (const CTopic* folder = services_.topics.NewFolder(*place.parent, place.index, dialog->Name()))
    return Select(folder);
  ShowStatus(kClosedFolderStatus);
}

void CTopicsDlg::OnNewLink() {
  ModalDialog<CNewPageMarkDlg> dialog(*this, services_.messages);
  if (dialog.Exec() != ModalDialog<CNewPageMarkDlg>::Outcome::kAccepted) return;
  const TopicPlace place = NewLinkPlace(Selected());
  if (const CTopic* link =
          services_.topics.NewLink(*place.parent, place.index, dialog->Title(), dialog->Url()))
    return Select(link);
  ShowStatus(kClosedFolderStatus);
}

// With nothing selected there is nothing to edit: the top level has no name of its own.
void CTopicsDlg::OnEdit() {
  const CTopic& node = Selected();
  if (node.parent == &node) return;
  if (node.isFolder) {
    ModalDialog<CEditTopicDlg> dialog(*this, node.name, services_.messages);
    if (dialog.Exec() != ModalDialog<CEditTopicDlg>::Outcome::kAccepted) return;
    if (services_.topics.Contains(&node)) services_.topics.Edit(node, dialog->Name(), node.target);
    return;
  }
  ModalDialog<CEditPageMarkDlg> dialog(*this, node.name, node.target, services_.messages);
  if (dialog.Exec() != ModalDialog<CEditPageMarkDlg>::Outcome::kAccepted) return;
  if (services_.topics.Contains(&node)) services_.topics.Edit(node, dialog->Title(), dialog->Url());
}

void CTopicsDlg::OnDelete() {
  const CTopic& node = Selected();
  if (node.parent != &node) services_.topics.Delete(node);
}

// A moved row stays selected (the view's selection follows it).
void CTopicsDlg::OnDragEnded(bool refused) {
  if (refused) QApplication::beep();
  checkView_->SaveHeld();
}

void CTopicsDlg::TakeMarkedPages() {
  if (!services_.store.SendToTopicsList().empty()) FileMarkedPages(services_.store, services_.topics);
}

// The second choice checks the selected folder, or the folder of a selected link.
std::optional<CheckScope> CTopicsDlg::AskScope() {
  ModalDialog<CCheckScopeDlg> dialog(*this);
  dialog->SetForTopic();
  if (dialog.Exec() != ModalDialog<CCheckScopeDlg>::Outcome::kAccepted) return std::nullopt;
  const CTopic* topic = &Selected();
  if (!topic->isFolder) topic = topic->parent;
  if (dialog->Scope() == 1 && topic != &services_.topics.Root())
    return CheckScope(CheckTopics, items_->KeyOf(*topic));
  return CheckScope(CheckTopics);
}

QAction* CTopicsDlg::MenuAction(uint32_t command) const {
  return ActionOf(actions_, command);
}

bool CTopicsDlg::CheckRunning() const {
  return check_->RunRegistered();
}

// Pages marked for filing while the window was open come in when it is brought forward again.
bool CTopicsDlg::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) TakeMarkedPages();
  return QMainWindow::event(event);
}

// Refused while a check runs or an import reads its file; otherwise topics.data is written once
// more (the menus follow the model by themselves).
void CTopicsDlg::closeEvent(QCloseEvent* event) {
  if (importing_ || !check_->MayClose()) return event->ignore();
  services_.topics.SaveFolder(services_.topics.Root());
  event->accept();
}

void CTopicsDlg::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  TakeMarkedPages();
  if (placed_ || event->spontaneous()) return;
  placed_ = true;
  PlaceOnPrimaryScreen(*this, TopicsPlacement);
}
