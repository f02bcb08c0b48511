#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"

struct PageAnswer;

// An item of a window as the checker knows it: an opaque key that the window hands out. A window
// never hands out the same key for two things, so a key whose item was deleted stays "gone" and
// never comes to mean another item. The checker holds no pointer into the store or the Topics tree.
using ItemKey = uint64_t;
// The window's top level: the PageMarks list itself, the Sites tree's root, the Topics root.
inline constexpr ItemKey kTopLevel = 0;

// What the check found for one PageMark. Each window shows it as an image of its own image list.
enum class Verdict {
  kUnchanged,    // not checked yet, being checked, or no change found
  kUpdated,      // the page changed since the last visit
  kUnreachable,  // no connection to the server, or the request could not go out
  kBadStatus,    // the server answered with a status that does not begin with "2"
};

// What a verdict rests on: why, for a reader (empty while the item is being checked), and the
// server's answer when there was one (none for a page being checked or one no connection took).
struct VerdictCause {
  std::string reason;
  const PageAnswer* answer = nullptr;
};

// What the checker reads of an item.
struct ItemFacts {
  bool isFolder = false;  // a Site or a Topic folder: its children are walked, it is not checked
  std::string url;        // a PageMark's url, a Topic entry's target
  Time32 lastVisited = 0;
  uint32_t size = 0;  // measured by an earlier check; 0 when never measured
};

// The window side of a run: one interface that the PageMarks, Sites and Topics windows each
// implement over their own items.
//
// Threads. Every call is made from the run's own thread, one at a time (the workers that ask the
// servers never call the view; they work on copies). A Qt window runs each call on the main
// thread and waits for it (a blocking queued call), so an implementation may read and change the
// store and the Topics model, and the worker always sees the window as it stands at that moment.
// Once its window is going away, an implementation must return at once without waiting for the
// main thread (doing nothing, reporting items as gone): the window's UpdateChecker stops and joins
// its worker when destroyed, and that join must not wait on a call that waits on the main thread.
class CheckView {
 public:
  virtual ~CheckView() = default;

  // The status bar's text.
  virtual void SetStatusText(const std::string& text) = 0;
  // The label of the File menu's checker item.
  virtual void SetMenuLabel(const std::string& label) = 0;
  // The image of the item's row or tree item (both images in a tree), found afresh, and what the
  // verdict rests on. Nothing happens for an item that is gone or has no row.
  virtual void SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) = 0;

  // The keys of parent's children as they stand now, first to last; empty for a gone item.
  //   PageMarks window: kTopLevel gives the PageMarks that the window lists, least recently
  //     visited first (the store's order); the list is flat.
  //   Sites window: kTopLevel gives the Sites in tree order; a Site gives its PageMark rows.
  //   Topics window: a Topic folder (kTopLevel: the root) gives its folders and entries in order.
  virtual std::vector<ItemKey> Children(ItemKey parent) = 0;
  // Fills facts from the PageMark or Topic node behind item; false when it is gone.
  virtual bool Describe(ItemKey item, ItemFacts& facts) = 0;
  // Stores the size that a check measured in the PageMark or the Topic entry; false (and nothing
  // stored) when it is gone.
  virtual bool StoreSize(ItemKey item, uint32_t size) = 0;

  // Topics window only. Copies size, lastVisited and firstVisited of the store's PageMark whose
  // url equals the entry's target (exactly) into the entry; an entry whose URL the store no longer
  // holds keeps its values. Writes no file.
  virtual void ReconcileEntry(ItemKey entry) {}
  // Topics window only. Writes the folder's branch file anew (kTopLevel: the root's, topics.data),
  // unless a drag of a tree item is under way or the folder is gone.
  virtual void SaveTopic(ItemKey folder) {}
};
