#pragma once

#include <string>
#include <vector>

// The Site key of a URL: the label of its Site submenu and of its node in the Sites window.
// simpleSites non-zero keeps full http server names.
std::string SiteKeyForUrl(const std::string& url, int simpleSites);

// Where a key belongs in the sorted SiteNames list (byte-wise, bytes unsigned).
size_t SiteInsertPosition(const std::vector<std::string>& siteNames, const std::string& key);
