#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "store/page_mark_store.h"
#include "store/records.h"
#include "store/topics_model.h"

// The Topics window's rules on the tree, kept apart from any widget.
//
// Display order: a folder shows its children from the last in its array to the first. Every edit
// below puts a node at the array index that shows it where the user expects it, so what the
// window shows is always what a reopened window shows.

// Where a node goes: the folder and the index in its children (counted after a moved node has
// left its old place).
struct TopicPlace {
  const CTopic* parent = nullptr;
  std::size_t index = 0;
};

// The row at which node is shown among its siblings (0: the top).
std::size_t DisplayRow(const CTopic& node);
// In a folder of count children: the row that shows array index position, and the array index
// that row shows (one function both ways).
std::size_t FlipRow(std::size_t position, std::size_t count);
// In a folder of count children: the gap between rows (0: above the first row, count: below the
// last) where a node put at array index gap shows, and the other way round.
std::size_t FlipGap(std::size_t gap, std::size_t count);

// A move to index of newParent's children (counted after node has left its old place) as rows:
// the row node leaves and the gap of newParent's rows it goes into, both counted before the move.
struct RowMove {
  std::size_t fromRow = 0;
  std::size_t toGap = 0;
};
// Nullopt when node stays on its row in its folder.
std::optional<RowMove> DisplayMove(const CTopic& node, const CTopic& newParent, std::size_t index);

// "New Topic/Folder" with selected (the root when nothing is selected): a sibling of the
// selection, shown directly below it; with nothing selected, at the bottom of the top level.
TopicPlace NewFolderPlace(const CTopic& selected);
// "New PageMark": into a selected folder (the root too), shown at its top; beside a selected
// link, shown directly below it.
TopicPlace NewLinkPlace(const CTopic& selected);

// Where a drop of dragged onto target puts it, or nullopt when the drop is refused: no target,
// the dragged node itself, a node inside it, its own folder, or a folder whose contents could not
// be read. A folder moves beside the target, whatever the target is; a link moves into a target
// folder (shown at its top) or beside a target link. Beside means shown directly below it.
std::optional<TopicPlace> DropPlace(const CTopic& dragged, const CTopic* target);
// Carries out the drop through the model (which writes the old folder's file, then the new
// one's); false when it is refused and nothing changed.
bool DropTopic(TopicsModel& model, const CTopic& dragged, const CTopic* target);

// Takes the PageMarks waiting in the store's SendToTopicsList: each becomes a top-level link
// (shown at the top), named by its title, with its URL; topics.data is written at once. A
// PageMark deleted while it waited has left the list already. Returns how many were filed.
std::size_t FileMarkedPages(PageMarkStore& store, TopicsModel& model);
