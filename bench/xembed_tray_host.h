#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <string>

// A system tray of the XEmbed kind, as small as a bench needs: it owns the tray selection of the
// display's screen, embeds the one icon a program asks it to dock, and tells when that icon's
// window first shows something other than the tray's own background (the icon is painted).
class XEmbedTrayHost {
 public:
  using Clock = std::chrono::steady_clock;

  XEmbedTrayHost() = default;
  ~XEmbedTrayHost();
  XEmbedTrayHost(const XEmbedTrayHost&) = delete;
  XEmbedTrayHost& operator=(const XEmbedTrayHost&) = delete;

  // Connects to $DISPLAY and takes the tray selection. Empty on success, else why not.
  std::string Open();

  // What one start of a program looked like from the tray: when its icon asked to be docked and
  // when the embedded icon was first painted (milliseconds after `start`; negative: never).
  struct Sighting {
    double dockedMs = -1;
    double paintedMs = -1;
  };
  // Watches until the icon is painted or `limit` has passed since `start`. Call once per program
  // start; the previous icon's window is forgotten.
  Sighting Watch(Clock::time_point start, std::chrono::milliseconds limit);

 private:
  xcb_atom_t Atom(const char* name);
  void AnnounceManager();
  void Embed(xcb_window_t icon);
  bool ShowsSomething(xcb_window_t icon);
  std::string Snapshot(xcb_window_t icon);

  xcb_connection_t* connection_ = nullptr;
  xcb_screen_t* screen_ = nullptr;
  xcb_window_t tray_ = 0;
  xcb_atom_t selection_ = 0;
  xcb_atom_t opcode_ = 0;
  xcb_atom_t xembed_ = 0;
  std::string background_;  // the icon window's pixels as embedded, before the program drew
};
