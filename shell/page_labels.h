#pragma once

#include <string>

#include "store/records.h"

// What a menu shows of a PageMark: its title, or its URL when the title is empty (a blank row
// helps nobody); the stored title is never changed.
inline std::string PageLabel(const CPez& p) {
  return p.title.empty() ? p.url : p.title;
}

// The item's tooltip: the whole title and the URL, so a label shortened to fit can still be read.
inline std::string PageTip(const CPez& p) {
  return p.title.empty() ? p.url : p.title + "\n" + p.url;
}
