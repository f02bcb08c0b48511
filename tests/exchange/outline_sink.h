#pragma once

#include <string>
#include <vector>

#include "exchange/bookmark_sink.h"

// Writes what a read hands over as lines: "[name" opens a folder, "]" closes it, "name <url>" is
// a link.
class OutlineSink : public BookmarkSink {
 public:
  void BeginFolder(std::string name) override { lines.push_back("[" + name); }
  void AddLink(std::string name, std::string url) override { lines.push_back(name + " <" + url + ">"); }
  void EndFolder() override { lines.push_back("]"); }
  std::vector<std::string> lines;
};
