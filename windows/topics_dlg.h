#pragma once

#include <QMainWindow>
#include <QStringList>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "checker/check_run.h"
#include "store/topics_model.h"
#include "windows/window_services.h"

class QAction;
class QLabel;
class QMenu;
class QModelIndex;
class TopicTree;
class TopicTreeCheckView;
class TopicTreeWidget;
class WindowCheck;

// "Hopwise Topics": the Topics tree, where pages are filed into folders. A view of the Topics
// model, shown whole: each folder shows its children from the last stored to the first, and the
// items follow every change of the model, whoever made it. Every edit writes the files it changes
// at once; closing writes topics.data once more.
//
// New PageMark and New Topic/Folder put the new node beside or into the selection (see
// store/topic_edits.h; an address typed without a scheme gets one), Edit (F2) renames, Delete (Del)
// removes a node and every branch file below it without asking (both greyed with nothing
// selected); Esc and Ctrl+W close. An empty tree says how to begin. Double-click opens a link in
// the browser. The expanded folders stay expanded through an import, and are kept in the
// preferences when the window goes and expanded again when it opens. A node is moved by dragging it onto
// another: a refused drop beeps. The status bar shows a link's URL, or "Topic/Folder". Pages
// marked for filing are taken in whenever the window is shown or activated. File imports a
// bookmark file or a browser's profile, exports the Topics as one, and starts or stops an update
// check; Watch for Changes (context menu) watches a link, or every link below a folder, or stops
// watching them; the window refuses to close while a check runs.
class CTopicsDlg : public QMainWindow {
  Q_OBJECT

 public:
  explicit CTopicsDlg(const WindowServices& services, QWidget* parent = nullptr);
  ~CTopicsDlg() override;

  // A command of the menu bar, the context menu or the keys.
  void OnCommand(uint32_t command);
  // The two File commands after their file dialogs, with the file chosen.
  void ImportFile(const std::string& path);
  void ExportFile(const std::string& path);
  // File > Import From Browser...: the profile chosen in its dialog.
  void ImportBrowserProfile();
  // Files the pages marked for filing as top-level links (see FileMarkedPages); done on its own
  // whenever the window is shown or activated.
  void TakeMarkedPages();

  TopicTreeWidget* Tree() const { return tree_; }
  TopicTree& Items() const { return *items_; }
  QLabel* StatusText() const { return status_; }
  QLabel* EmptyHint() const { return emptyHint_; }
  QAction* MenuAction(uint32_t command) const;
  QMenu* ContextMenu() const { return contextMenu_; }
  bool CheckRunning() const;

 protected:
  bool event(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildWidgets();
  // The node of the selected item, or the root when nothing is selected.
  const CTopic& Selected() const;
  void Select(const CTopic* node);
  void OnSelectionChanged();
  void EnableCommands();
  void ShowEmptyHint();
  void OnOpen(const QModelIndex& index);
  void OnContextMenu(const QPoint& position);
  void OnNewFolder();
  void OnNewLink();
  void OnEdit();
  void OnDelete();
  void OnWatch();
  void OnDragEnded(bool refused);
  std::optional<CheckScope> AskScope();
  void ShowStatus(const std::string& text);

  WindowServices services_;
  std::unique_ptr<TopicTree> items_;
  TopicTreeWidget* tree_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* emptyHint_ = nullptr;
  QMenu* contextMenu_ = nullptr;
  std::map<uint32_t, QAction*> actions_;
  std::multimap<uint32_t, QAction*> commandActions_;  // the menu bar's and the context menu's
  QStringList expandedBeforeReset_;
  std::unique_ptr<TopicTreeCheckView> checkView_;
  std::unique_ptr<WindowCheck> check_;
  bool placed_ = false;
  bool importing_ = false;
};
