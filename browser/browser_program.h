#pragma once

#include <string>

#include "platform/launcher.h"
#include "store/prefs.h"

// Starts the "Browser" program, found in "Browser Path", with text as its one argument (none when
// the text is empty). Every start of the browser program goes through here, so that the guard of
// address_guard.h holds for all of them: a refused text starts nothing. The caller that asked for
// the text tells the user why. False when nothing was started: refused, no program configured, or
// the start failed.
bool StartBrowserProgram(Launcher& launcher, const CPrefs& prefs, const std::string& text);
