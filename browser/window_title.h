#pragma once

#include <string>

// The page title inside a browser window's caption "Netscape - [TITLE]": the caption without its
// first 12 and its last character. A caption shorter than 13 characters gives the empty title.
std::string TitleFromCaption(const std::string& caption);
