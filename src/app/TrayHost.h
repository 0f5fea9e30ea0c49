#pragma once

// Which kind of notification area shows the tray icon. Qt picks its tray icon's protocol once,
// when the first icon is made: a StatusNotifierItem on D-Bus when a host is registered with the
// session's watcher, else an XEmbed icon, which appears whenever an XEmbed tray comes.
namespace vx::app {

// Whether a StatusNotifierItem host is registered on the session bus (KDE Plasma, GNOME with
// the AppIndicator extension, ...): Qt then shows the icon as such an item, whose left click
// is an activation without a double click. Asks the bus as Qt does, so call it when the icon
// is made.
bool StatusNotifierHostRegistered();

// Whether Qt runs offscreen, where neither a window nor a tray icon can be seen.
bool RunsOffscreen();

} // namespace vx::app
