#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/clock.h"
#include "shell/page_finder.h"
#include "shell/tool_windows.h"
#include "windows/page_mark_rows.h"
#include "windows/window_services.h"

// The open tool windows of the program, at most one of each kind, and the modeless Quick Info
// windows. Each window deletes itself when it is closed, and the set forgets it. The set keeps
// what the windows share for the whole run: the sort flags of the PageMarks list.
//
// A kind is opened by its factory: the PageMarks, Sites and Topics windows are registered here;
// Register puts another factory in a kind's place (a test's window, say). Main thread only.
class FindWindow;

class ToolWindowSet : public ToolWindows {
 public:
  // Makes a new top-level window of a kind; the set shows it.
  using Factory = std::function<QWidget*(const WindowServices& services)>;

  explicit ToolWindowSet(const WindowServices& services);
  // Closes every window that is still open (see CloseAll).
  ~ToolWindowSet() override;
  ToolWindowSet(const ToolWindowSet&) = delete;
  ToolWindowSet& operator=(const ToolWindowSet&) = delete;

  void Register(ToolWindowKind kind, Factory factory);

  bool ShowToolWindow(ToolWindowKind kind) override;
  bool IsOpen(ToolWindowKind kind) const override;
  bool ShowPageMarksForTyping() override;
  bool ShowQuickInfo(uint32_t pageMarkCommand, int screenX, int screenY) override;
  bool ShowFindWindow() override;
  // Makes the find window and its index now, hidden, so that it shows at once when asked for.
  void PrepareFindWindow();
  // The find window once made (it hides when closed and is kept), or null.
  FindWindow* Find() const;
  // The PageMarks window on the watched pages with a change not looked at yet (filter "Changed").
  bool ShowChangedPages();

  // The open window of a kind, or null.
  QWidget* Window(ToolWindowKind kind) const;
  // Deletes every open window at once, whatever it is doing (program shutdown): a running check
  // is stopped and its thread joined, and the windows keep what they keep when they close.
  void CloseAll();

  PageMarkSortFlags& SortFlags() { return sortFlags_; }

 private:
  WindowServices services_;
  PageMarkSortFlags sortFlags_;
  std::map<ToolWindowKind, Factory> factories_;
  std::map<ToolWindowKind, QPointer<QWidget>> open_;
  std::vector<QPointer<QWidget>> closing_;  // closed, their deletion not yet run
  std::vector<QPointer<QWidget>> quickInfos_;
  SystemClock clock_;
  std::unique_ptr<PageFinder> finder_;  // made with the find window
  QPointer<FindWindow> findWindow_;
};
