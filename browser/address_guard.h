#pragma once

#include <optional>
#include <string>
#include <string_view>

// The one guard on what Hopwise hands to the browser: a PageMark's address, a Topic link, a help
// link, text typed into "Open URL...". It holds for the connected browser and for the "Browser"
// program alike, so a text is refused the same way whichever of them would have opened it.
//
// Refused, each with a message that names the text:
// - Text whose first character, after blanks and control characters, is "-". The browser program
//   gets the text as its argument and would read it as one of its options (Chromium has options
//   that run a command; both browsers strip leading blanks before they look). No address begins
//   with "-". A "--" before the text is no cure: the chromium start script drops it, Firefox still
//   reads some options after it, and xdg-open or an unknown program may not know it at all.
// - javascript: and vbscript: addresses: they run a script rather than show a page, and a bookmark
//   file's author chooses the script.
// - data: addresses: the page travels inside the address, so an imported link can show a page made
//   to look like any site with no site behind it.
// file: addresses pass: the help page is one, and a link to a local page is an ordinary bookmark.
//
// Returns the message, or nothing when the text may go.
std::optional<std::string> BrowserRefusal(std::string_view text);
