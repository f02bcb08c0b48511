#pragma once

#include "checker/check_run.h"

// The walkers, one per window kind. Each queues the PageMarks of its scope in the order they are to
// be checked (CheckRun::Add), polling the stop request before each, and returns kStopped as soon as
// a poll finds it set. An item found gone when it is read is passed over. The run checks the queue
// once the walk has ended; each page's image is reset to Unchanged as it starts. The run itself
// (workers, end texts) is UpdateChecker's.

// PageMarks window: the scope's selection, or else every PageMark the window lists, from the last
// to the first, whatever its scheme; the status bar reads "Checking k of N, URL".
WalkEnd CheckPageMarkList(CheckRun& run);

// Sites window: every Site in tree order and each Site's rows in order; a Site without rows is
// passed over, and so is a row whose URL is not checked. The status bar reads "Checking URL...".
WalkEnd CheckAllSites(CheckRun& run);
// Sites window: the rows of the scope's Site.
WalkEnd CheckSelectedSite(CheckRun& run);

// Topics window: "Reconciling PageMarks..." and ReconcileTopic, then "Checking PageMarks..." and
// CheckTopic, on the scope's Topic.
WalkEnd CheckTopics(CheckRun& run);
// Copies the store's values into each entry below topic: children from the last to the first,
// a folder reconciled at once when met.
void ReconcileTopic(CheckView& view, ItemKey topic);
// Queues each entry below topic in the same order (depth first), as the Sites walker does; the
// folder that holds an entry is saved once its entry's Updated decision is shown, unless a stop was
// asked for.
WalkEnd CheckTopic(CheckRun& run, ItemKey topic);
