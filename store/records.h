#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"

// One PageMark: a page the browser has shown.
struct CPez {
  uint32_t size = 0;  // page size last reported by the update checker
  Time32 lastVisited = 0;
  Time32 firstVisited = 0;
  uint32_t reserved = 0;  // stored and loaded, never used
  std::string url;        // exactly as the browser reported it; key of the URL index
  std::string title;
  uint32_t commandId = 0;  // menu command number while the program runs; not stored
};

struct CTopic;
using TopicArray = std::vector<std::unique_ptr<CTopic>>;

// One node of the Topics tree: a folder (a Topic) or a link inside a folder.
struct CTopic {
  // A new node carries its creation time in both visit times.
  explicit CTopic(Time32 created) : lastVisited(created), firstVisited(created) {}

  uint32_t size = 0;                     // link: copy of the PageMark's size
  std::unique_ptr<TopicArray> children;  // folder: its contents while loaded (none: not readable)
  CTopic* parent = nullptr;              // the folder holding this node while loaded
  Time32 lastVisited;
  Time32 firstVisited;
  uint32_t isFolder = 0;  // 1 folder, 0 link
  std::string target;     // link: URL; folder: full path of its branch file
  std::string name;       // folder: its name; link: the title shown
};
