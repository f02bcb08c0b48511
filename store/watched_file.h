#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "platform/message_boxes.h"
#include "store/watched_pages.h"

// watched.data, beside cache.data: the watched pages and their last findings. A file of its own, in
// text, so that cache.data and the Topics files stay as older versions read them:
//
//   Hopwise watched pages 1
//   last-run <TAB> T
//   page <TAB> url <TAB> title <TAB> seenAt <TAB> size <TAB> last <TAB> checkedAt <TAB> status
//        <TAB> changed <TAB> changedAt <TAB> sizeBefore <TAB> failedRuns <TAB> failureReported
//
// Texts escape "\" as "\\", tab as "\t", line feed as "\n" and carriage return as "\r". A line of
// a kind this version does not know is passed over, so a newer version may add kinds.
inline constexpr char kWatchedFileName[] = "watched.data";

void WriteWatched(std::ostream& out, const WatchedPages& watched);
// Reads the whole stream; false (and watched left as it was) when it is not such a file.
bool ReadWatched(std::istream& in, WatchedPages& watched);

// The file beside cache.data (its folder, or "." without one).
std::string WatchedPathBeside(const std::string& cachePath);

// Loads the file at path. A missing file is an empty list. A damaged one is kept aside
// (NAME.damaged-...) and the user told; one that cannot be read is left alone, the user told, and
// false returned: it must not be written in this run.
bool LoadWatchedFile(const std::string& path, WatchedPages& watched, MessageBoxes& messages, Time32 now);
// Replaces the file atomically (mode 0600); false with why on failure, the old file kept.
bool SaveWatchedFile(const std::string& path, const WatchedPages& watched, std::string* why = nullptr);
