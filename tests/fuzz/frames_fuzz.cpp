// Any bytes from a transport peer and from the browser side of the bridge.
#include "bridge/host/frame_codec.h"
#include "bridge/host/json.h"
#include "platform/dde_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dde::wire::FrameReader transport;
  transport.Append(data, size);
  dde::wire::Message message;
  while (transport.Next(message) == dde::wire::ReadStatus::Ready) {
  }
  bridge::FrameReader browser;
  browser.Feed(reinterpret_cast<const char*>(data), size);
  while (auto frame = browser.Next()) bridge::json::Parse(*frame);
  bridge::json::Parse(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
