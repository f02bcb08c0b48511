#pragma once

// Whether the session has a StatusNotifierItem host: a StatusNotifierWatcher on the session bus
// that says a host is registered with it (KDE Plasma, GNOME's AppIndicator extension, waybar and
// most Wayland panels). Such a host draws the icon and its menu itself, from what the item puts
// on the bus (StatusNotifierItem, DBusMenu). False without a session bus, and when the watcher does
// not answer within a second or two.
bool StatusNotifierHostPresent();
