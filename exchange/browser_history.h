#pragma once

#include <cstddef>
#include <string>

#include "exchange/browser_data.h"
#include "exchange/profile_database.h"

// The history of a browser's database (a copy, see ProfileDatabase) as pages: the most recently
// visited first, at most limit of them, each with its title and its first and last visit. Pages
// the browser hides (a frame's own address, a redirect on the way) and addresses that may not be
// opened (IsImportableAddress, counted in data.leftOut) are passed over; a page without a title is
// titled with its address. False with the reason in why when the database lacks a table or a
// column that is read (a browser of another version), or a read fails.

// Chromium's History: urls and visits, times in microseconds since 1601.
bool ReadChromiumHistory(const ProfileDatabase& db, std::size_t limit, BrowserData& data, std::string& why);
// Firefox's places.sqlite: moz_places and moz_historyvisits, times in microseconds since 1970.
bool ReadFirefoxHistory(const ProfileDatabase& db, std::size_t limit, BrowserData& data, std::string& why);
