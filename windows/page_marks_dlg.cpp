#include "windows/page_marks_dlg.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QShowEvent>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "checker/walkers.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "windows/check_scope_dlg.h"
#include "windows/modal_dialog.h"
#include "windows/page_mark_table_model.h"
#include "windows/page_marks_check_view.h"
#include "windows/quick_info_dlg.h"
#include "windows/shown_text.h"
#include "windows/window_check.h"
#include "windows/window_menus.h"
#include "windows/window_placement.h"
#include "windows/window_widgets.h"

namespace {

constexpr int kDefaultColumnWidths[kColumnCount] = {140, 238, 110, 110};

// A stored width that would hide its column, or could not be meant, gives way to the default; a
// visit time column is never narrower than its text (the locale's date and the font decide it).
int UsableWidth(int32_t stored, int column, const QFontMetrics& font) {
  const int width = stored >= 16 && stored <= 4000 ? stored : kDefaultColumnWidths[column];
  if (column != kLastVisitedColumn && column != kFirstVisitedColumn) return width;
  // A date late in the year at a two-digit hour: as wide as the locale's dates get.
  const QString sample = FormatVisitTime(1734567890) + QStringLiteral("MM");
  return std::max(width, font.horizontalAdvance(sample));
}

QString PageMarkCount(int count) {
  return count == 1 ? QStringLiteral("1 PageMark") : QStringLiteral("%1 PageMarks").arg(count);
}

}  // namespace

CPageMarksDlg::CPageMarksDlg(const WindowServices& services, PageMarkSortFlags& sortFlags, QWidget* parent)
    : QMainWindow(parent),
      services_(services),
      sortFlags_(sortFlags),
      model_(new PageMarkTableModel(services.store, this)) {
  setWindowTitle("Hopwise PageMarks");
  setWindowIcon(LoadIconResource(res::kIconActive));
  BuildWidgets();
  checkView_ = std::make_unique<PageMarkListCheckView>(*model_, services_.store, *status_,
                                                       *actions_.at(res::kCmdCheckForUpdates));
  check_ =
      std::make_unique<WindowCheck>(*this, *checkView_, services_.http, services_.prefs, services_.messages);
  connect(model_, &PageMarkTableModel::Followed, this, &CPageMarksDlg::ShowCount);
  connect(model_, &QAbstractItemModel::modelReset, this, &CPageMarksDlg::ShowCount);
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &CPageMarksDlg::EnableCommands);
  connect(model_, &QAbstractItemModel::modelReset, this, &CPageMarksDlg::EnableCommands);
  connect(model_, &QAbstractItemModel::rowsRemoved, this, &CPageMarksDlg::EnableCommands);
  ApplyStoredSort();
  ShowCount();
  EnableCommands();
}

// The check goes first: its worker is stopped before anything it may ask about goes.
CPageMarksDlg::~CPageMarksDlg() {
  check_.reset();
  for (int column = 0; column < kColumnCount; ++column)
    services_.prefs.columnWidths[static_cast<std::size_t>(column)] =
        list_->horizontalHeader()->sectionSize(column);
}

void CPageMarksDlg::BuildWidgets() {
  const CommandHandler handler = [this](uint32_t command) { OnCommand(command); };
  actions_ = FillMenuBar(*menuBar(), res::kMenuPageMarksBar, handler);
  contextMenu_ = BuildContextMenu(res::kMenuPageMarksContext, *this, handler, &commandActions_);
  commandActions_.insert(actions_.begin(), actions_.end());
  InstallAccelerators(*this, res::kAccelPageMarks, handler);

  filter_ = new QLineEdit(this);
  filter_->setPlaceholderText("Filter by title or URL");
  filter_->setClearButtonEnabled(true);
  connect(filter_, &QLineEdit::textChanged, this, [this](const QString& text) {
    model_->SetFilter(text);
    ShowCount();
  });

  watchFilter_ = new QComboBox(this);
  watchFilter_->addItems(
      {QStringLiteral("All PageMarks"), QStringLiteral("Watched"), QStringLiteral("Changed")});
  connect(watchFilter_, &QComboBox::currentIndexChanged, this,
          [this](int chosen) { model_->SetWatchFilter(static_cast<WatchFilter>(chosen)); });
  model_->SetWatched(&services_.watched);

  BuildList();

  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* filters = new QHBoxLayout;
  filters->addWidget(filter_, 1);
  filters->addWidget(watchFilter_);
  layout->addLayout(filters);
  layout->addWidget(list_, 1);
  setCentralWidget(central);
  status_ = AddStatusText(*this);
  emptyHint_ = AddEmptyViewHint(*list_);
  list_->setFocus();
}

// A list view in report style: whole rows selected, several at a time; no editing in place.
void CPageMarksDlg::BuildList() {
  list_ = new QTableView(this);
  list_->setModel(model_);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setShowGrid(false);
  list_->setWordWrap(false);
  list_->verticalHeader()->hide();
  list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
  list_->setIconSize(QSize(16, 16));
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  QHeaderView* header = list_->horizontalHeader();
  header->setSectionsClickable(true);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(40);
  const std::array<int32_t, kColumnCount>& widths = services_.prefs.columnWidths;
  for (int column = 0; column < kColumnCount; ++column)
    header->resizeSection(
        column, UsableWidth(widths[static_cast<std::size_t>(column)], column, list_->fontMetrics()));
  header->setSectionResizeMode(kTitleColumn, QHeaderView::Stretch);
  connect(header, &QHeaderView::sectionClicked, this, &CPageMarksDlg::SortByColumn);
  connect(list_, &QTableView::doubleClicked, this, &CPageMarksDlg::OnOpenSelected);
  connect(list_, &QTableView::customContextMenuRequested, this, &CPageMarksDlg::OnContextMenu);
}

void CPageMarksDlg::FocusFilter() {
  filter_->setFocus(Qt::OtherFocusReason);
  filter_->selectAll();
}

// The sort the list had when a PageMarks window last closed, under the flag it had.
void CPageMarksDlg::ApplyStoredSort() {
  const int column = services_.prefs.sortColumn;
  if (column < 0 || column >= kColumnCount) return;
  sortFlags_.flags[static_cast<std::size_t>(column)] = services_.prefs.sortFlag == 1 ? 0 : 1;
  SortByColumn(column);
}

void CPageMarksDlg::ShowCount() {
  const int all = model_->Rows().Count();
  const int shown = model_->Rows().ShownCount();
  const bool filtered = !filter_->text().isEmpty();
  status_->setText(filtered ? QStringLiteral("%1 of %2").arg(shown).arg(PageMarkCount(all))
                            : PageMarkCount(all));
  if (shown > 0) return emptyHint_->hide();
  emptyHint_->setText(
      filtered ? QStringLiteral("No PageMarks match \u201c%1\u201d.").arg(filter_->text())
               : QStringLiteral("No PageMarks yet: the pages you visit in the browser come here."));
  emptyHint_->show();
}

// Edit, Assign to Topics and Delete act on the selection: with none they are greyed.
void CPageMarksDlg::EnableCommands() {
  const bool any = list_->selectionModel()->hasSelection();
  for (uint32_t command : {res::kCmdEditPageMarks, res::kCmdAssignToTopics, res::kCmdDeletePageMarks})
    EnableCommand(commandActions_, command, any);
}

void CPageMarksDlg::OnCommand(uint32_t command) {
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

// Text columns sort A to Z on their first click, times newest first; each click reverses.
void CPageMarksDlg::SortByColumn(int column) {
  if (column < 0 || column >= kColumnCount) return;
  const bool flag = sortFlags_.Flip(column);
  model_->Sort(column, flag);
  services_.prefs.sortColumn = column;
  services_.prefs.sortFlag = flag ? 1 : 0;
  const bool isText = column == kTitleColumn || column == kUrlColumn;
  QHeaderView* header = list_->horizontalHeader();
  header->setSortIndicatorShown(true);
  header->setSortIndicator(column, flag == isText ? Qt::AscendingOrder : Qt::DescendingOrder);
}

std::vector<ItemKey> CPageMarksDlg::SelectedKeys() const {
  QModelIndexList rows = list_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(),
            [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<ItemKey> keys;
  for (const QModelIndex& row : rows) keys.push_back(model_->Rows().Shown(row.row()).key);
  return keys;
}

const CPez* CPageMarksDlg::PageOf(ItemKey key) const {
  const PageMarkRow* row = model_->Rows().Find(key);
  return row ? row->page : nullptr;
}

// A PageMark that left the store while an earlier one was being edited is passed over.
void CPageMarksDlg::OnEdit() {
  for (ItemKey key : SelectedKeys()) {
    const CPez* page = PageOf(key);
    if (!page) continue;
    ModalDialog<CQuickInfoDlg> dialog(*this, services_, *page, CQuickInfoDlg::Form::kModal);
    if (dialog.Exec() == ModalDialog<CQuickInfoDlg>::Outcome::kWindowGone) return;
  }
}

void CPageMarksDlg::OnAssignToTopics() {
  for (ItemKey key : SelectedKeys())
    if (const CPez* page = PageOf(key)) services_.topics.AppendTopLevelLink(page->title, page->url);
}

// The rows go as the store tells of each deletion; then the row that took the first one's place
// is selected.
void CPageMarksDlg::OnDelete() {
  const std::vector<ItemKey> keys = SelectedKeys();
  if (keys.empty()) return;
  const int first = model_->Rows().ShownPosition(keys.front());
  for (ItemKey key : keys)
    if (const CPez* page = PageOf(key)) services_.store.DeletePageMark(page);
  SelectRow(std::min(first, model_->rowCount() - 1));
}

void CPageMarksDlg::SelectRow(int row) {
  if (row < 0) return;
  const QModelIndex at = model_->index(row, kTitleColumn);
  list_->selectionModel()->setCurrentIndex(at,
                                           QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_->setFocus();
}

void CPageMarksDlg::OnOpenSelected() {
  const std::vector<ItemKey> keys = SelectedKeys();
  if (keys.empty()) return;
  if (const CPez* page = PageOf(keys.front())) services_.opener.OpenInBrowser(page->url);
}

std::vector<PageRef> CPageMarksDlg::SelectedPages() const {
  std::vector<PageRef> pages;
  for (ItemKey key : SelectedKeys())
    if (const CPez* page = PageOf(key)) pages.push_back({page->url, page->title});
  return pages;
}

void CPageMarksDlg::OnWatch() {
  const std::string text = ToggleWatch(services_.watched, SelectedPages(), services_.prefs.watchHours);
  if (!text.empty()) status_->setText(QString::fromStdString(text));
}

void CPageMarksDlg::ShowChanged() {
  filter_->clear();
  watchFilter_->setCurrentIndex(static_cast<int>(WatchFilter::kChanged));
}

void CPageMarksDlg::OnContextMenu(const QPoint& position) {
  if (SelectedKeys().empty()) return;
  LabelCommand(commandActions_, res::kCmdWatchPages, WatchCommandLabel(services_.watched, SelectedPages()));
  contextMenu_->popup(list_->viewport()->mapToGlobal(position));
}

std::optional<CheckScope> CPageMarksDlg::AskScope() {
  ModalDialog<CCheckScopeDlg> dialog(*this);
  if (dialog.Exec() != ModalDialog<CCheckScopeDlg>::Outcome::kAccepted) return std::nullopt;
  if (dialog->Scope() == 1) return CheckScope::SelectedPageMarks(SelectedKeys());
  return CheckScope(CheckPageMarkList);
}

QAction* CPageMarksDlg::MenuAction(uint32_t command) const {
  return ActionOf(actions_, command);
}

bool CPageMarksDlg::CheckRunning() const {
  return check_->RunRegistered();
}

void CPageMarksDlg::closeEvent(QCloseEvent* event) {
  if (!check_->MayClose()) return event->ignore();
  event->accept();
}

void CPageMarksDlg::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (placed_ || event->spontaneous()) return;
  placed_ = true;
  PlaceOnPrimaryScreen(*this, PageMarksPlacement);
  LeaveRoomForTitles();
}

// On a narrow window (a small screen, a large scale) the URL column gives way until the titles
// have two fifths of the width, though it keeps room for a dozen characters.
void CPageMarksDlg::LeaveRoomForTitles() {
  QHeaderView* header = list_->horizontalHeader();
  // The list is not laid out yet: the window's new width, less the scroll bar, is the list's.
  const int width = this->width() - list_->verticalScrollBar()->sizeHint().width() - 2 * list_->frameWidth();
  const int others = header->sectionSize(kLastVisitedColumn) + header->sectionSize(kFirstVisitedColumn);
  const int urlRoom = width - others - width * 2 / 5;
  if (header->sectionSize(kUrlColumn) <= urlRoom) return;
  header->resizeSection(kUrlColumn, std::max(urlRoom, list_->fontMetrics().averageCharWidth() * 12));
}
