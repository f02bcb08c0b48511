#include "xembed_tray_host.h"

#include <poll.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr std::uint32_t kTrayBackground = 0xff00ff;  // a colour no icon paints everywhere
constexpr std::uint16_t kIconSize = 22;
constexpr std::uint32_t kRequestDock = 0;     // _NET_SYSTEM_TRAY_OPCODE
constexpr std::uint32_t kEmbeddedNotify = 0;  // _XEMBED

template <typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

double MillisSince(XEmbedTrayHost::Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(XEmbedTrayHost::Clock::now() - start).count();
}

}  // namespace

XEmbedTrayHost::~XEmbedTrayHost() {
  if (connection_) xcb_disconnect(connection_);
}

std::string XEmbedTrayHost::Open() {
  int screenNumber = 0;
  connection_ = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection_)) return "no X display answers at $DISPLAY";
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
  screen_ = screens.data;
  selection_ = Atom(("_NET_SYSTEM_TRAY_S" + std::to_string(screenNumber)).c_str());
  opcode_ = Atom("_NET_SYSTEM_TRAY_OPCODE");
  xembed_ = Atom("_XEMBED");
  Reply<xcb_get_selection_owner_reply_t> owner(
      xcb_get_selection_owner_reply(connection_, xcb_get_selection_owner(connection_, selection_), nullptr),
      &std::free);
  if (owner && owner->owner != XCB_NONE) return "another system tray runs on this display";

  tray_ = xcb_generate_id(connection_);
  const std::uint32_t values[] = {kTrayBackground, 1, XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY};
  xcb_create_window(connection_, XCB_COPY_FROM_PARENT, tray_, screen_->root,
                    static_cast<std::int16_t>(screen_->width_in_pixels - 120),
                    static_cast<std::int16_t>(screen_->height_in_pixels - 24), 120, 24, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen_->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
  xcb_map_window(connection_, tray_);
  xcb_set_selection_owner(connection_, tray_, selection_, XCB_CURRENT_TIME);
  AnnounceManager();
  xcb_flush(connection_);
  return {};
}

xcb_atom_t XEmbedTrayHost::Atom(const char* name) {
  Reply<xcb_intern_atom_reply_t> reply(
      xcb_intern_atom_reply(
          connection_, xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
          nullptr),
      &std::free);
  return reply ? reply->atom : XCB_NONE;
}

// Programs that started before the tray learn of it from this message on the root window.
void XEmbedTrayHost::AnnounceManager() {
  xcb_client_message_event_t message{};
  message.response_type = XCB_CLIENT_MESSAGE;
  message.format = 32;
  message.window = screen_->root;
  message.type = Atom("MANAGER");
  message.data.data32[0] = XCB_CURRENT_TIME;
  message.data.data32[1] = selection_;
  message.data.data32[2] = tray_;
  xcb_send_event(connection_, 0, screen_->root, XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&message));
}

// As a panel's tray does it: into the tray window, sized, mapped, and told it is embedded. What
// the window shows right then (the tray's background) is what a painted icon must differ from.
void XEmbedTrayHost::Embed(xcb_window_t icon) {
  xcb_reparent_window(connection_, icon, tray_, 4, 1);
  const std::uint32_t size[] = {kIconSize, kIconSize};
  xcb_configure_window(connection_, icon, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
  xcb_map_window(connection_, icon);
  background_ = Snapshot(icon);
  xcb_client_message_event_t notify{};
  notify.response_type = XCB_CLIENT_MESSAGE;
  notify.format = 32;
  notify.window = icon;
  notify.type = xembed_;
  notify.data.data32[0] = XCB_CURRENT_TIME;
  notify.data.data32[1] = kEmbeddedNotify;
  notify.data.data32[3] = tray_;
  xcb_send_event(connection_, 0, icon, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
  xcb_flush(connection_);
}

std::string XEmbedTrayHost::Snapshot(xcb_window_t icon) {
  Reply<xcb_get_image_reply_t> image(xcb_get_image_reply(connection_,
                                                         xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP,
                                                                       icon, 0, 0, kIconSize, kIconSize, ~0u),
                                                         nullptr),
                                     &std::free);
  if (!image) return {};
  const auto* data = xcb_get_image_data(image.get());
  return std::string(reinterpret_cast<const char*>(data), xcb_get_image_data_length(image.get()));
}

bool XEmbedTrayHost::ShowsSomething(xcb_window_t icon) {
  const std::string now = Snapshot(icon);
  if (background_.empty()) background_ = now;
  return !now.empty() && now != background_;
}

XEmbedTrayHost::Sighting XEmbedTrayHost::Watch(Clock::time_point start, std::chrono::milliseconds limit) {
  Sighting sighting;
  xcb_window_t icon = XCB_NONE;
  background_.clear();
  pollfd display{xcb_get_file_descriptor(connection_), POLLIN, 0};
  while (Clock::now() - start < limit && !xcb_connection_has_error(connection_)) {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
      const auto* message = reinterpret_cast<xcb_client_message_event_t*>(event);
      if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && message->type == opcode_ &&
          message->data.data32[1] == kRequestDock && icon == XCB_NONE) {
        icon = message->data.data32[2];
        sighting.dockedMs = MillisSince(start);
        Embed(icon);
      }
      std::free(event);
    }
    if (icon != XCB_NONE && ShowsSomething(icon)) {
      sighting.paintedMs = MillisSince(start);
      break;
    }
    poll(&display, 1, 1);  // the icon's pixels are looked at every millisecond meanwhile
  }
  return sighting;
}
