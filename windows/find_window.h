#pragma once

#include <QKeyCombination>
#include <QWidget>
#include <functional>
#include <vector>

#include "platform/clock.h"
#include "shell/page_finder.h"
#include "shell/tool_windows.h"
#include "windows/window_services.h"

class QLabel;
class QLineEdit;
class QListView;
class FoundPageModel;

// "Hopwise Find": a line of input over the pages found for it, small, on top, focused; under the
// pointer on X11, centred where the desktop places windows itself (Wayland).
//
// Every keystroke asks the PageFinder again; an empty line lists the most recent pages. Up, Down,
// Page Up and Page Down move the selection while the keyboard stays in the line. The keys act on
// the selected page: Enter opens it in the browser through the opener the menus use, and closes the
// window; Alt+Enter opens its Quick Info (a Topic link's too, when its address is a PageMark's) and
// closes the window; Ctrl+T files it into Topics, as "Assign to Topics" does, and Ctrl+D watches it for
// changes or stops watching it, as "Watch for Changes" does; after either the window stays. Esc closes. More
// keys come in through AddKey. Closing hides the window, ready for the next time.
class FindWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr char kTitle[] = "Hopwise Find";
  // What a key does to the window after acting on the page.
  enum class After { kStay, kClose };
  using KeyAction = std::function<After(const FoundPage& page)>;

  FindWindow(const WindowServices& services, PageFinder& finder, ToolWindows& windows, const Clock& clock,
             QWidget* parent = nullptr);
  ~FindWindow() override;

  // One more key for the selected page; a key given twice does what it was given last.
  void AddKey(QKeyCombination key, KeyAction action);
  // Shows the window for a new search: the line emptied, the most recent pages listed, placed,
  // raised and given the keyboard. Shown already: brought back to the front as it is.
  void ShowForSearch();
  // The line under the results: what the last key did, or how many pages are listed.
  void SetStatus(const QString& text);

  QLineEdit* Input() const { return input_; }
  QListView* Results() const { return results_; }
  FoundPageModel* Model() const { return model_; }
  QLabel* Status() const { return status_; }
  const FoundPage* Selected() const;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Key {
    QKeyCombination key;
    KeyAction action;
  };
  void Search(const QString& text);
  bool OnKey(const QKeyEvent& event);
  void MoveSelection(int key);
  void Act(const KeyAction& action);
  After Open(const FoundPage& page);
  After QuickInfo(const FoundPage& page);
  After FileIntoTopics(const FoundPage& page);
  After ToggleWatched(const FoundPage& page);
  void Place();

  WindowServices services_;
  PageFinder& finder_;
  ToolWindows& windows_;
  const Clock& clock_;
  std::vector<Key> keys_;
  QLineEdit* input_;
  QListView* results_;
  FoundPageModel* model_;
  QLabel* status_;
};
