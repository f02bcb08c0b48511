#pragma once

#include <string>

// True when a page's title is only the browser's stand-in for a title the page has not given (yet):
// its address, as Chromium and Firefox show it while a page loads and for a page without one. The
// bridge waits for a better title before it echoes such a page, and the store never lets one replace
// a real title.
//  - The address with or without its scheme and its fragment, a trailing slash aside.
//  - Percent escapes decoded or not: Chromium shows non-ASCII characters and spaces decoded,
//    Firefox shows the escapes. Both sides are compared with every escape that stands for UTF-8
//    decoded.
//  - For a file:// page, its file name (Chromium); Firefox shows the whole address.
//  - Clipped: a title of 256 characters or more with which the address begins, up to an ellipsis
//    ("..." or U+2026) and the dots of one cut short. Firefox cuts a long stand-in at 256
//    characters, the extension every title at 2,048, and Chromium elides one above 4,096 in the middle.
// The empty title is a stand-in too.
bool IsPlaceholderTitle(const std::string& url, const std::string& title);
