// The message map of the tray window: which handler each menu command reaches.
#include "browser/browser_program.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "shell/qt/help_page.h"
#include "shell/qt/tray_wnd.h"

void CTrayWnd::OnCommand(uint32_t command) {
  if (!DispatchFixedCommand(command)) menus_->DispatchDynamicCommand(command);
}

bool CTrayWnd::DispatchFixedCommand(uint32_t command) {
  if ((command >= res::kFirstLinkCmd && command <= res::kLastLinkCmd) ||
      (command >= res::kFirstHelpLinkCmd && command <= res::kLastHelpLinkCmd)) {
    OnOpenLink(command);
    return true;
  }
  switch (command) {
    case res::kCmdExit:
      emit exitRequested();
      return true;
    case res::kCmdSuspend:
      ToggleSuspend();
      return true;
    case res::kCmdAbout:
      OnAbout();
      return true;
    case res::kCmdPreferences:
      OnPreferences();
      return true;
    case res::kCmdEditTopics:
      OnShowTopicsWindow();
      return true;
    case res::kCmdMorePageMarks:
      OnShowPageMarksWindow();
      return true;
    case res::kCmdMoreSites:
      OnShowSitesWindow();
      return true;
    case res::kCmdLaunchBrowser:
      OnLaunchBrowser();
      return true;
    case res::kCmdOpenUrl:
      OnOpenTypedUrl();
      return true;
    case res::kCmdHelpTopics:
      OnHelpTopics();
      return true;
    case res::kCmdQuickSearch:
      OnQuickSearch();
      return true;
    case res::kCmdWhatsThis:
      OnWhatsThis();
      return true;
    default:
      return false;
  }
}

// The help page in the browser: its contents, or the section that says what Hopwise is. A missing
// page is reported by its file name.
void CTrayWnd::OnHelpTopics() {
  OpenHelpSection("contents");
}
void CTrayWnd::OnWhatsThis() {
  OpenHelpSection("whatthis");
}

void CTrayWnd::OpenHelpSection(const std::string& section) {
  const std::string file = helpPage_.empty() ? HelpPageFile() : helpPage_;
  const std::string url = HelpPageUrl(file, section);
  if (url.empty())
    messages_.Ok(MissingHelpPageMessage(file));
  else
    opener_.OpenInBrowser(url);
}

// "&Launch Browser": the browser program with no argument; a failure is not reported.
void CTrayWnd::OnLaunchBrowser() {
  StartBrowserProgram(launcher_, prefs_, "");
}

// A built-in link or help link opens the address kept under its own number.
void CTrayWnd::OnOpenLink(uint32_t command) {
  if (auto url = LoadResourceString(command)) opener_.OpenInBrowser(*url);
}

// At most one window of each kind: a second request brings the open one to the front.
void CTrayWnd::OnShowTopicsWindow() {
  toolWindows_.ShowToolWindow(ToolWindowKind::kTopics);
}
void CTrayWnd::OnShowPageMarksWindow() {
  toolWindows_.ShowToolWindow(ToolWindowKind::kPageMarks);
}
// The quickest way to any page: the PageMarks window with the keyboard in its filter field.
void CTrayWnd::OnShowPageMarksForTyping() {
  toolWindows_.ShowPageMarksForTyping();
}
void CTrayWnd::OnShowSitesWindow() {
  toolWindows_.ShowToolWindow(ToolWindowKind::kSites);
}

// The commands with a dialog are in tray_dialog_commands.cpp, the keys inside an open menu in
// tray_menu_keys.cpp.
