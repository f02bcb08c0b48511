#pragma once

#include <string>

#include "store/prefs.h"

// Fills "Browser" and "Browser Path" from the system's default browser: the first of
// x-www-browser and xdg-open found on the search path (PATH when pathList is empty). "Browser Path"
// is its folder, "Browser" its file name. When none is found both stay as they were and start-up goes on.
// Returns whether a browser was found.
bool FindBrowserInstallation(CPrefs& prefs, const std::string& pathList);
