#pragma once

#include <string>
#include <vector>

#include "exchange/bookmark_sink.h"

// Writes what a read hands over as lines: "[name" opens a folder, "]" closes it, "name <url>" is
// a link; the dates of each folder and link go to dates, in the same order.
class OutlineSink : public BookmarkSink {
 public:
  void BeginFolder(std::string name, BookmarkDates d) override {
    lines.push_back("[" + name);
    dates.push_back(d);
  }
  void AddLink(std::string name, std::string url, BookmarkDates d) override {
    lines.push_back(name + " <" + url + ">");
    dates.push_back(d);
  }
  void EndFolder() override { lines.push_back("]"); }
  std::vector<std::string> lines;
  std::vector<BookmarkDates> dates;
};
