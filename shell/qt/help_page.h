#pragma once

#include <string>

// The address of a section of Hopwise's help page (resources/help/hopwise.html), as a file URL with
// the section as its fragment. The installed page (PREFIX/share/hopwise/help, beside the program's
// bin folder) is preferred; a program run from its build folder uses the page in the source tree.
// Empty when neither exists.
std::string HelpPageUrl(const std::string& section);
