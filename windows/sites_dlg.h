#pragma once

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>

#include "checker/check_run.h"
#include "store/page_mark_store.h"
#include "windows/window_services.h"

class QAction;
class QLabel;
class QMenu;
class QModelIndex;
class QTreeView;
class SiteTreeModel;
class SiteTreeCheckView;
class WindowCheck;

// "Hopwise Sites": the PageMarks grouped by Site in a tree view over SiteTreeModel, which follows
// the store: a new or revisited PageMark stands at the top of its Site (a new Site comes in its
// alphabetical place), a PageMark that leaves the store loses its row at once (and its Site's row,
// when that is emptied), and new titles show.
//
// Each Site row counts its PageMarks. The status bar shows the selected PageMark's URL (decoded),
// otherwise the count of PageMarks and Sites. Double-click opens a PageMark in the browser; Edit
// (F2) shows its Quick Info; Assign to Topics (Ctrl+T) appends it as a top-level Topic link (both
// greyed unless a PageMark is selected); Delete (Del) deletes it, or, once the user agrees, every
// PageMark of a selected Site; File's first item starts or stops an update check; Watch for Changes
// (context menu) watches the PageMark or stops watching it; Esc and Ctrl+W close. The window
// refuses to close while a check runs. The expanded Sites are kept in the preferences when it goes,
// and expanded again when it opens and after a reset of the store.
class CSitesDlg : public QMainWindow {
  Q_OBJECT

 public:
  explicit CSitesDlg(const WindowServices& services, QWidget* parent = nullptr);
  ~CSitesDlg() override;

  // A command of the menu bar, the context menu or the keys.
  void OnCommand(uint32_t command);

  QTreeView* Tree() const { return tree_; }
  const SiteTreeModel& Model() const { return *model_; }
  QLabel* StatusText() const { return status_; }
  QAction* MenuAction(uint32_t command) const;
  QMenu* ContextMenu() const { return contextMenu_; }
  bool CheckRunning() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWidgets();
  QModelIndex Selected() const;
  void OnSelectionChanged();
  void ShowStatus();
  void EnableCommands();
  QStringList ExpandedSites() const;
  void OnEdit();
  void OnAssignToTopics();
  void OnDelete();
  void OnWatch();
  void OnOpen(const QModelIndex& index);
  void OnContextMenu(const QPoint& position);
  std::optional<CheckScope> AskScope();

  WindowServices services_;
  SiteTreeModel* model_ = nullptr;
  QTreeView* tree_ = nullptr;
  QLabel* status_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  std::map<uint32_t, QAction*> actions_;
  std::multimap<uint32_t, QAction*> commandActions_;  // the menu bar's and the context menu's
  QStringList expandedBeforeReset_;
  std::unique_ptr<SiteTreeCheckView> checkView_;
  std::unique_ptr<WindowCheck> check_;
  bool placed_ = false;
};
