#include "browser/browser_program.h"

#include "browser/address_guard.h"

bool StartBrowserProgram(Launcher& launcher, const CPrefs& prefs, const std::string& text) {
  if (prefs.browser.empty() || BrowserRefusal(text)) return false;
  return launcher.Launch(prefs.browser, text, prefs.browserPath);
}
