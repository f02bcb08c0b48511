#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/process_list.h"

// The browser-process watch: remembers the browser processes of the last scan and tells whether a
// scan found one it had not seen before (a browser started, or started again with a new id).
class BrowserScan {
 public:
  // True when the executable name, after its last "\" or "/", is "NETSCAPE.EXE" in any letter case.
  static bool IsBrowserName(const std::string& exeName);

  // One scan: marks the browser processes listed, forgets those no longer listed, and returns true
  // when one of them is new. A list that cannot be read changes nothing and finds nothing new.
  bool Scan(ProcessList& processes);

  size_t Known() const { return marks_.size(); }

 private:
  std::map<uint32_t, uint32_t> marks_;  // process id -> mark of the scan under way
};
