#pragma once

#include "checker/check_run.h"

// The walkers, one per window kind. Each checks the PageMarks of its scope one by one, polling the
// stop request before each, and returns kStopped as soon as a poll finds it set. An item found gone
// when it is read is passed over. The run itself (session, end texts) is UpdateChecker's.

// PageMarks window: the scope's selection, or else every PageMark the window lists, from the last
// to the first. Each PageMark's image is reset to Unchanged and the status bar reads
// "Checking k of N, URL" (k counting from 1) before it is checked, whatever its scheme.
WalkEnd CheckPageMarkList(CheckRun& run);

// Sites window: every Site in tree order and each Site's rows in order; a Site without rows is
// passed over.
WalkEnd CheckAllSites(CheckRun& run);
// Sites window: the rows of the scope's Site.
WalkEnd CheckSelectedSite(CheckRun& run);

// Topics window: "Reconciling PageMarks..." and ReconcileTopic, then "Checking PageMarks..." and
// CheckTopic, on the scope's Topic.
WalkEnd CheckTopics(CheckRun& run);
// Copies the store's values into each entry below topic: children from the last to the first,
// a folder reconciled at once when met.
void ReconcileTopic(CheckView& view, ItemKey topic);
// Checks each entry below topic in the same order (depth first); the folder that holds an entry
// is saved once its entry's Updated decision is made, unless a stop was asked for.
WalkEnd CheckTopic(CheckRun& run, ItemKey topic);
