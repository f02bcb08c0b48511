#pragma once

#include <optional>
#include <string>

// Whether the desktop session can be reached before the toolkit tries (which would abort the
// process with a message about reinstalling): nothing when it can, else one line that says why
// not. An X display is tried by connecting to it; a Wayland session needs its socket and Qt's
// Wayland plugin (an X display, as XWayland gives, is tried after it). A platform chosen with
// QT_QPA_PLATFORM is left to Qt.
std::optional<std::string> DisplayProblem();
