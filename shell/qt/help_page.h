#pragma once

#include <string>

// Hopwise's help page is share/hopwise/help/hopwise.html beside the program's bin folder: the build
// puts it there in the build folder just as the installation does under its prefix.
std::string HelpPageFile();

// The address of a section of the help page at file, as a file URL with the section as its
// fragment. Empty when there is no such file.
std::string HelpPageUrl(const std::string& file, const std::string& section);

// What the user is told when the help page is missing.
std::string MissingHelpPageMessage(const std::string& file);
