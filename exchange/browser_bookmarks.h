#pragma once

#include <cstddef>
#include <vector>

#include "exchange/bookmark_collector.h"
#include "store/branch_names.h"
#include "store/topics_model.h"

// What adding a browser's bookmarks to the Topics added.
struct BookmarkAddition {
  std::size_t links = 0;
  std::size_t folders = 0;
};

// Adds a browser's bookmark roots (BrowserData::roots) to the Topics, inside an Addition the caller
// holds (nothing is written here). Each root goes into the top-level folder of its name, made at
// the end of the top level when there is none. A second import of a profile adds only what is new:
// a folder is the same as a folder of the same name in the same place (the first, when several
// share the name), and a link is the same as a link of the same address in that folder, whatever
// its title; a bookmark moved to another folder in the browser, or in the Topics, is therefore new
// once more. New entries keep the browser's order and dates and come after what a folder held (as
// the Topics window shows a folder). The entries are moved out of roots.
BookmarkAddition AddBrowserBookmarks(TopicsModel& model, std::vector<BookmarkNode>& roots,
                                     RandomSource& random);

// How many folders and links a tree of entries holds.
std::size_t CountEntries(const std::vector<BookmarkNode>& entries);
