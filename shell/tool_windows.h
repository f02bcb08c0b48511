#pragma once

#include <cstdint>

// The tool windows that the tray commands open: each kind exists at most once.
enum class ToolWindowKind { kPageMarks, kSites, kTopics };

// How the tray window opens the windows and dialogs it does not own itself. The application hands
// an implementation to CTrayWnd; the tray never sees a window class. Main thread only.
class ToolWindows {
 public:
  virtual ~ToolWindows() = default;
  // Opens the window of that kind, or brings the open one to the front. False when no window of
  // that kind can be made.
  virtual bool ShowToolWindow(ToolWindowKind kind) = 0;
  virtual bool IsOpen(ToolWindowKind kind) const = 0;
  // The PageMarks window as ShowToolWindow opens it, with the keyboard in its filter field and the
  // filter's text selected, so that what the user types next finds a page.
  virtual bool ShowPageMarksForTyping() { return ShowToolWindow(ToolWindowKind::kPageMarks); }
  // A modeless PageMark Quick Info window for the PageMark with that command number, its top-left
  // corner at a point of the screen. Each call opens another window. False when no PageMark has
  // that number.
  virtual bool ShowQuickInfo(uint32_t pageMarkCommand, int screenX, int screenY) = 0;
  // "Find a Page...": the find window, ready for typing, on top of everything. False when there is
  // none to show.
  virtual bool ShowFindWindow() { return false; }
};
