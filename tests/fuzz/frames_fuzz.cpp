// Any bytes from a transport peer and from the browser side of the bridge.
#include "bridge/host/frame_codec.h"
#include "bridge/host/messages.h"
#include "platform/dde_wire.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  dde::wire::FrameReader transport;
  transport.Append(data, size);
  dde::wire::Message message;
  while (transport.Next(message) == dde::wire::ReadStatus::Ready) {
  }
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  bridge::FrameReader browser;
  browser.Feed(bytes);
  std::string error;
  while (auto frame = browser.Next()) bridge::ParseBrowserMessage(*frame, &error);
  bridge::ParseBrowserMessage(bytes, &error);
  // What the host sends carries texts from the transport as they came.
  bridge::OpenMessage(1, std::string(bytes), 2);
  return 0;
}
