#pragma once

#include <cstdint>
#include <string>

#include "browser/url_opener.h"
#include "platform/launcher.h"
#include "platform/message_boxes.h"
#include "shell/qt/tray_dialog_commands.h"
#include "shell/tool_windows.h"
#include "store/prefs.h"

// The message map of the fixed menu commands: the built-in links and help links, the help page, the
// tool windows, the browser program and the commands with a dialog. Exit, suspend and the numbers
// of PageMarks and Topic links are its owner's. Main thread only.
class TrayCommands {
 public:
  TrayCommands(const CPrefs& prefs, UrlOpener& opener, Launcher& launcher, MessageBoxes& messages,
               ToolWindows& toolWindows, TrayDialogCommands& dialogCommands);

  // Runs the command when it is one of the fixed ones; false otherwise.
  bool Dispatch(uint32_t command);
  // Where the help page is looked for; unset, beside the program (help_page.h).
  void SetHelpPage(std::string file) { helpPage_ = std::move(file); }

 private:
  void OnHelpTopics();
  void OnWhatsThis();
  void OpenHelpSection(const std::string& section);
  void OnLaunchBrowser();
  void OnOpenLink(uint32_t command);

  const CPrefs& prefs_;
  UrlOpener& opener_;
  Launcher& launcher_;
  MessageBoxes& messages_;
  ToolWindows& toolWindows_;
  TrayDialogCommands& dialogCommands_;
  std::string helpPage_;
};
