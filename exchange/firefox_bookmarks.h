#pragma once

#include <string>

#include "exchange/browser_data.h"
#include "exchange/profile_database.h"

// Reads the bookmarks of Firefox's places.sqlite (a copy, see ProfileDatabase): the moz_bookmarks
// tree below the roots menu, toolbar, unfiled and mobile (the tags are not bookmarks), in each
// folder's order, into data.roots as "Firefox bookmarks menu", "Firefox bookmarks toolbar",
// "Firefox other bookmarks" and "Firefox mobile bookmarks", each only when it holds anything.
// A bookmark keeps dateAdded, lastModified and its page's last visit. Separators are left out,
// and so are links that may not be opened, such as place: queries (counted in data.leftOut). False
// with the reason in why when a table or column that is read is missing, or a read fails.
bool ReadFirefoxBookmarks(const ProfileDatabase& db, BrowserData& data, std::string& why);
