#pragma once

#include <string>

// The address of a section of Hopwise's help page, as a file URL with the section as its fragment.
// The page is share/hopwise/help/hopwise.html beside the program's bin folder: the build puts it
// there in the build folder just as the installation does under its prefix. Empty when it is
// missing.
std::string HelpPageUrl(const std::string& section);
