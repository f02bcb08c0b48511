#pragma once

#include <QMainWindow>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "checker/check_run.h"
#include "store/page_mark_store.h"
#include "windows/page_mark_rows.h"
#include "windows/watch_marks.h"
#include "windows/window_services.h"

class PageMarkListCheckView;
class PageMarkTableModel;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QTableView;
class WindowCheck;

// "Hopwise PageMarks": every PageMark of the store in a table, newest first, with a filter field
// above it. A view of the store: a new PageMark gets its row where the sort puts it (at the top
// while unsorted), a PageMark that leaves the store (deleted anywhere, dropped at the size limit)
// loses its row at once, a reset builds the rows again, and new titles and URLs show; revisits do
// not move rows or change their times. The Title column takes the width the others leave; the
// status bar counts the PageMarks ("5 of 26 PageMarks" while filtered), and an empty list says why.
//
// Double-click opens the page in the browser; Edit (F2) shows each selected PageMark's Quick Info;
// Assign to Topics (Ctrl+T) appends each selected PageMark as a top-level Topic link; Delete (Del)
// deletes the selected PageMarks from the store (the three are greyed with nothing selected); Watch
// for Changes (context menu) watches them, or stops watching them, and a box beside the filter
// shows all PageMarks, the watched ones or those changed; a column header click sorts by the
// process-wide flags; File's first item starts or stops an update check; Esc and Ctrl+W close. The
// window refuses to close while a check runs. It keeps the column widths and the sort in the
// preferences when it goes, and sorts so again when it opens.
class CPageMarksDlg : public QMainWindow {
  Q_OBJECT

 public:
  CPageMarksDlg(const WindowServices& services, PageMarkSortFlags& sortFlags, QWidget* parent = nullptr);
  ~CPageMarksDlg() override;

  // A command of the menu bar, the context menu or the keys.
  void OnCommand(uint32_t command);
  void SortByColumn(int column);

  QTableView* List() const { return list_; }
  QLineEdit* Filter() const { return filter_; }
  // "All PageMarks", "Watched" or "Changed" (watched pages with a change not looked at yet).
  QComboBox* WatchFilterBox() const { return watchFilter_; }
  // The watched pages with a change not looked at yet, and only those (the notification's "Show").
  void ShowChanged();
  // Puts the keyboard into the filter field with its text selected: typing starts a new filter.
  void FocusFilter();
  QLabel* StatusText() const { return status_; }
  QLabel* EmptyHint() const { return emptyHint_; }
  const PageMarkTableModel& Model() const { return *model_; }
  QAction* MenuAction(uint32_t command) const;
  QMenu* ContextMenu() const { return contextMenu_; }
  bool CheckRunning() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWidgets();
  void BuildList();
  void ApplyStoredSort();
  void LeaveRoomForTitles();
  void ShowCount();
  void EnableCommands();
  // The keys of the selected rows, from the top of the list to the bottom.
  std::vector<ItemKey> SelectedKeys() const;
  const CPez* PageOf(ItemKey key) const;
  void OnEdit();
  void OnAssignToTopics();
  void OnDelete();
  void OnOpenSelected();
  void OnWatch();
  std::vector<PageRef> SelectedPages() const;
  void OnContextMenu(const QPoint& position);
  std::optional<CheckScope> AskScope();
  void SelectRow(int row);

  WindowServices services_;
  PageMarkSortFlags& sortFlags_;
  PageMarkTableModel* model_;
  QTableView* list_ = nullptr;
  QLineEdit* filter_ = nullptr;
  QComboBox* watchFilter_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* emptyHint_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  std::map<uint32_t, QAction*> actions_;
  std::multimap<uint32_t, QAction*> commandActions_;  // the menu bar's and the context menu's
  std::unique_ptr<PageMarkListCheckView> checkView_;
  std::unique_ptr<WindowCheck> check_;
  bool placed_ = false;
};
