#pragma once

#include <string>

#include "exchange/browser_data.h"

// Reads Chromium's Bookmarks file (JSON: "roots" with "bookmark_bar", "other" and "synced", each a
// folder of "folder" and "url" nodes with "name", "url", "children" and the dates "date_added",
// "date_last_used" and "date_modified" in microseconds since 1601 as decimal text) into
// data.roots: one folder per root that holds anything, named "Chromium bookmarks bar", "Chromium
// other bookmarks" and "Chromium mobile bookmarks". Links that may not be opened are left out
// (counted in data.leftOut), and so are nodes of other types. False with the reason in why for a
// file that is missing, larger than 256 MiB, not JSON, or without the roots.
bool ReadChromiumBookmarks(const std::string& path, BrowserData& data, std::string& why);
// The same over the file's text.
bool ReadChromiumBookmarksText(const std::string& text, BrowserData& data, std::string& why);
