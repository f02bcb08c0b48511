#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "bridge/host/browser_channel.h"
#include "bridge/host/frame_codec.h"

namespace bridge {

// The native-messaging line: frames from the browser on one descriptor (stdin), frames to it on
// another (stdout). Nothing but frames is ever written to the output.
class StdioChannel : public BrowserChannel {
 public:
  using Log = std::function<void(std::string_view)>;

  StdioChannel(int inputFd, int outputFd, Log log);

  bool Send(const std::string& message) override;
  std::optional<std::string> Receive(Clock::time_point deadline) override;
  bool AtEnd() const override { return ended; }

  // For the main loop: one read of what the input has (call when it is readable); false once the
  // line has ended. Then Take() hands out the whole messages read so far.
  bool ReadAvailable();
  std::optional<std::string> Take();

  int InputFd() const { return input; }

 private:
  void End(std::string_view why);

  int input;
  int output;
  Log log;
  FrameReader reader;
  bool ended = false;
};

}  // namespace bridge
