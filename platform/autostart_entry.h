#pragma once

#include <string>

// Starting Hopwise at log-in: the desktop entry $XDG_CONFIG_HOME/autostart/hopwise.desktop (else
// ~/.config/autostart/hopwise.desktop), which desktop sessions run when the user logs in.

// Where the entry goes. An XDG_CONFIG_HOME that is empty or not absolute counts as unset.
std::string AutostartFile(const char* home, const char* xdgConfigHome);

// The start command that belongs to the program at programPath: PREFIX/bin/hopwise for an installed
// PREFIX/libexec/hopwise/hopwise, else hopwise-start beside the program (a build folder).
std::string StartCommandFor(const std::string& programPath);

// The entry's text: it runs startCommand, and sessions skip it (TryExec) once that is gone, as after
// the package was removed.
std::string AutostartEntryText(const std::string& startCommand);

// On when the file is there and neither hides itself (Hidden=true) nor is switched off the way
// GNOME's settings do it (X-GNOME-Autostart-enabled=false).
bool AutostartIsOn(const std::string& file);

// Writes the entry for startCommand (making the autostart folder when needed) or removes it.
// Returns an empty text when done, else a message that says which file and why.
std::string SetAutostart(const std::string& file, bool on, const std::string& startCommand);
