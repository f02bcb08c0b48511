#include "shell/qt/tray_commands.h"

#include "browser/browser_program.h"
#include "resources/resource_ids.h"
#include "resources/string_table.h"
#include "shell/qt/help_page.h"

TrayCommands::TrayCommands(const CPrefs& prefs, UrlOpener& opener, Launcher& launcher, MessageBoxes& messages,
                           ToolWindows& toolWindows, TrayDialogCommands& dialogCommands)
    : prefs_(prefs),
      opener_(opener),
      launcher_(launcher),
      messages_(messages),
      toolWindows_(toolWindows),
      dialogCommands_(dialogCommands) {}

// At most one tool window of each kind: a second request brings the open one to the front.
bool TrayCommands::Dispatch(uint32_t command) {
  if ((command >= res::kFirstLinkCmd && command <= res::kLastLinkCmd) ||
      (command >= res::kFirstHelpLinkCmd && command <= res::kLastHelpLinkCmd)) {
    OnOpenLink(command);
    return true;
  }
  switch (command) {
    case res::kCmdAbout:
      dialogCommands_.OnAbout();
      return true;
    case res::kCmdPreferences:
      dialogCommands_.OnPreferences();
      return true;
    case res::kCmdEditTopics:
      toolWindows_.ShowToolWindow(ToolWindowKind::kTopics);
      return true;
    case res::kCmdMorePageMarks:
      toolWindows_.ShowToolWindow(ToolWindowKind::kPageMarks);
      return true;
    case res::kCmdMoreSites:
      toolWindows_.ShowToolWindow(ToolWindowKind::kSites);
      return true;
    case res::kCmdLaunchBrowser:
      OnLaunchBrowser();
      return true;
    case res::kCmdOpenUrl:
      dialogCommands_.OnOpenTypedUrl();
      return true;
    case res::kCmdHelpTopics:
      OnHelpTopics();
      return true;
    case res::kCmdQuickSearch:
      dialogCommands_.OnQuickSearch();
      return true;
    case res::kCmdWhatsThis:
      OnWhatsThis();
      return true;
    case res::kCmdFindPage:
      toolWindows_.ShowFindWindow();
      return true;
    default:
      return false;
  }
}

// The help page in the browser: its contents, or the section that says what Hopwise is. A missing
// page is reported by its file name.
void TrayCommands::OnHelpTopics() {
  OpenHelpSection("contents");
}
void TrayCommands::OnWhatsThis() {
  OpenHelpSection("whatthis");
}

void TrayCommands::OpenHelpSection(const std::string& section) {
  const std::string file = helpPage_.empty() ? HelpPageFile() : helpPage_;
  const std::string url = HelpPageUrl(file, section);
  if (url.empty())
    messages_.Ok(MissingHelpPageMessage(file));
  else
    opener_.OpenInBrowser(url);
}

// "&Launch Browser": the browser program with no argument; a failure is not reported.
void TrayCommands::OnLaunchBrowser() {
  StartBrowserProgram(launcher_, prefs_, "");
}

// A built-in link or help link opens the address kept under its own number.
void TrayCommands::OnOpenLink(uint32_t command) {
  if (auto url = LoadResourceString(command)) opener_.OpenInBrowser(*url);
}
