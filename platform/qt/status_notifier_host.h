#pragma once

// Whether the session has a StatusNotifierItem host: a StatusNotifierWatcher on the session bus
// that says a host is registered with it (KDE Plasma, GNOME's AppIndicator extension, waybar and
// most Wayland panels). Qt asks the same once, when the first tray icon is made, and then puts
// that icon on the bus as a StatusNotifierItem instead of into an XEmbed tray. Such a host draws
// the icon's menu itself from the menu exported over DBusMenu. False without a session bus.
bool StatusNotifierHostPresent();
