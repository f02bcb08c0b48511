#pragma once

#include <string>
#include <vector>

// The Site key of a URL: the label of its Site submenu and of its node in the Sites window.
// simpleSites non-zero keeps full server names.
//
// modernSites zero: the classic rule. http keys are the server name, shortened to the registered
// domain for .com, .edu, .org, .net and .gov only; https keys are the server name as written
// followed by " (secure)".
// modernSites non-zero: http and https pages of one host share a key, the host's registrable
// domain from the Public Suffix List (bbc.co.uk, example.de, wikipedia.org), lower-case, without
// port; an IP address, "localhost" or a bare public suffix is its own key. With simpleSites the
// key is the whole host name instead. Other schemes follow the classic rule in both cases.
std::string SiteKeyForUrl(const std::string& url, int simpleSites, int modernSites = 0);

// Where a key belongs in the sorted SiteNames list (byte-wise, bytes unsigned).
size_t SiteInsertPosition(const std::vector<std::string>& siteNames, const std::string& key);
