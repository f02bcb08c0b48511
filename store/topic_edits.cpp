#include "store/topic_edits.h"

#include <vector>

namespace {

bool IsRoot(const CTopic& node) {
  return node.parent == &node;
}

bool IsInside(const CTopic* node, const CTopic& folder) {
  for (; node; node = IsRoot(*node) ? nullptr : node->parent)
    if (node == &folder) return true;
  return false;
}

// Directly before target in its folder's array, that is shown directly below it, with dragged
// already taken out of the array when it shares the folder.
TopicPlace Beside(const CTopic& dragged, const CTopic& target) {
  std::size_t index = TopicsModel::IndexOf(target);
  if (dragged.parent == target.parent && TopicsModel::IndexOf(dragged) < index) --index;
  return {target.parent, index};
}

}  // namespace

std::size_t DisplayRow(const CTopic& node) {
  if (IsRoot(node) || !node.parent || !node.parent->children) return 0;
  return FlipRow(TopicsModel::IndexOf(node), node.parent->children->size());
}

std::size_t FlipRow(std::size_t position, std::size_t count) {
  return count - 1 - position;
}

std::size_t FlipGap(std::size_t gap, std::size_t count) {
  return count - gap;
}

std::optional<RowMove> DisplayMove(const CTopic& node, const CTopic& newParent, std::size_t index) {
  const RowMove move{DisplayRow(node), 0};
  const std::size_t count = newParent.children ? newParent.children->size() : 0;
  if (&newParent != node.parent) return RowMove{move.fromRow, FlipGap(index, count)};
  const std::size_t toRow = FlipRow(index, count);
  if (toRow == move.fromRow) return std::nullopt;
  return RowMove{move.fromRow, toRow > move.fromRow ? toRow + 1 : toRow};
}

TopicPlace NewFolderPlace(const CTopic& selected) {
  if (IsRoot(selected) || !selected.parent) return {&selected, 0};
  return {selected.parent, TopicsModel::IndexOf(selected)};
}

TopicPlace NewLinkPlace(const CTopic& selected) {
  if (selected.isFolder != 0) return {&selected, selected.children ? selected.children->size() : 0};
  return NewFolderPlace(selected);
}

std::optional<TopicPlace> DropPlace(const CTopic& dragged, const CTopic* target) {
  if (!target || IsRoot(dragged) || IsInside(target, dragged) || target == dragged.parent)
    return std::nullopt;
  TopicPlace place;
  if (dragged.isFolder == 0 && target->isFolder != 0)
    place = {target, target->children ? target->children->size() : 0};
  else
    place = Beside(dragged, *target);
  if (!TopicsModel::IsOpenFolder(*place.parent)) return std::nullopt;
  return place;
}

bool DropTopic(TopicsModel& model, const CTopic& dragged, const CTopic* target) {
  const std::optional<TopicPlace> place = DropPlace(dragged, target);
  return place && model.Move(dragged, *place->parent, place->index);
}

std::size_t FileMarkedPages(PageMarkStore& store, TopicsModel& model) {
  const std::vector<const CPez*> marked = store.TakeSendToTopicsList();
  std::size_t filed = 0;
  for (const CPez* page : marked)
    if (model.AppendTopLevelLink(page->title, page->url)) ++filed;
  return filed;
}
