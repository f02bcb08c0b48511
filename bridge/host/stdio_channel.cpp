#include "bridge/host/stdio_channel.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace bridge {

StdioChannel::StdioChannel(int inputFd, int outputFd, Log logTo)
    : input(inputFd), output(outputFd), log(std::move(logTo)) {}

void StdioChannel::End(std::string_view why) {
  if (ended) return;
  ended = true;
  if (log) log(why);
}

bool StdioChannel::Send(const std::string& message) {
  if (ended) return false;
  const auto frame = EncodeFrame(message);
  if (!frame) {
    if (log) log("a message for the browser is above 1 MiB and was not sent");
    return false;
  }
  size_t written = 0;
  while (written < frame->size()) {
    const ssize_t n = ::write(output, frame->data() + written, frame->size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      End("the browser stopped reading");
      return false;
    }
    written += static_cast<size_t>(n);
  }
  return true;
}

bool StdioChannel::ReadAvailable() {
  if (ended) return false;
  char buffer[65536];
  ssize_t n;
  do {
    n = ::read(input, buffer, sizeof buffer);
  } while (n < 0 && errno == EINTR);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
  if (n <= 0) {
    End(reader.HasPartialFrame() ? "input ended in the middle of a frame" : "end of input");
    return false;
  }
  reader.Feed(buffer, static_cast<size_t>(n));
  return true;
}

std::optional<std::string> StdioChannel::Take() {
  auto message = reader.Next();
  if (reader.Failed() && !ended) {
    End("the browser announced a frame of " + std::to_string(reader.RejectedLength()) +
        " bytes, above the limit; dropping the connection");
  }
  return message;
}

std::optional<std::string> StdioChannel::Receive(Clock::time_point deadline) {
  while (true) {
    if (auto message = Take()) return message;
    if (ended) return std::nullopt;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return std::nullopt;
    pollfd fd{input, POLLIN, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(std::min<long long>(left, 60000)));
    if (ready < 0 && errno != EINTR) {
      End("cannot wait for input");
      return std::nullopt;
    }
    if (ready > 0) ReadAvailable();
  }
}

}  // namespace bridge
