#pragma once

#include <ostream>
#include <string>

#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "store/records.h"

// File > Export: writes the Topics below root (the model's Root()) as a Netscape-format bookmark
// file that browsers import. Each folder's children are written from the last to the first, the
// order the Topics window shows them in; a folder whose contents could not be read is written
// empty. A link's ADD_DATE is its first visit, its LAST_VISITED and LAST_MODIFIED its last visit; a
// folder's ADD_DATE and LAST_MODIFIED are its first and last visit; a time not after 1970 (a node
// without times) is written as the time read from clock when its folder is begun. Text is
// UTF-8, declared so in the file's header; names and URLs are written with '&', '<', '>', '"' and
// line breaks as character references, so ImportBookmarks reads back the same bytes. Any depth is
// written without recursion. Returns whether out took every byte.
bool ExportTopics(std::ostream& out, const CTopic& root, const Clock& clock);

// The same into the file at path, written straight into a temporary file beside it, which replaces
// the file only when every byte was written, flushed and synced: a failed write (a full disk, memory
// running out) leaves a file that was there as it was. False when it failed, with the reason in
// why. open makes the stream (tests hand one that fails).
bool ExportTopicsToFile(const std::string& path, const CTopic& root, const Clock& clock,
                        std::string* why = nullptr, const OutputOpener& open = OpenFileOutput);
