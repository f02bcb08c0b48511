#pragma once

#include <string>

// Hopwise's help page is PREFIX/share/hopwise/help/hopwise.html: installed, the program is
// PREFIX/libexec/hopwise/hopwise; in the build folder it is bin/hopwise and the build puts the page
// under share/ beside bin/.
std::string HelpPageFileFor(const std::string& programFolder);
// The same for this program.
std::string HelpPageFile();

// The address of a section of the help page at file, as a file URL with the section as its
// fragment. Empty when there is no such file.
std::string HelpPageUrl(const std::string& file, const std::string& section);

// What the user is told when the help page is missing.
std::string MissingHelpPageMessage(const std::string& file);
