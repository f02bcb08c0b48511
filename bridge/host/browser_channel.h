#pragma once

#include <optional>
#include <string>

#include "bridge/host/tab_table.h"

namespace bridge {

// The host's line to the extension: whole messages out, whole messages in.
class BrowserChannel {
 public:
  virtual ~BrowserChannel() = default;
  // False when the message could not go out (above the browser's frame limit, or the line is gone).
  virtual bool Send(const std::string& message) = 0;
  // The next message, waiting for it until the deadline; nothing at the deadline or when the line
  // has ended.
  virtual std::optional<std::string> Receive(Clock::time_point deadline) = 0;
  // True once nothing more can come: end of input, a broken frame, or a failed write.
  virtual bool AtEnd() const = 0;
};

}  // namespace bridge
