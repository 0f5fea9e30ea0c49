#pragma once

#include <array>
#include <cstdint>

#include <QIcon>
#include <QString>

namespace vx::app {

// What the tray icon tells at a glance: how many decisions wait for the user, and whether a
// protection is down.
struct TTrayIconState {
    int Pending = 0;      // shown as a badge; none at 0
    bool Warning = false; // the shield's warning form
    bool operator==(const TTrayIconState&) const = default;
};

// The statuses (health::TServiceTestStatus) last reported for the three protections the
// status window shows: on-access, antispyware and antivirus, Internet.
using TProtectionStatuses = std::array<std::uint8_t, 3>;

// The state for `pending` decisions and the protections' statuses: a warning while any of
// them is off (unavailable) or corrupted; untested and working ones are fine.
TTrayIconState TrayIconStateFor(int pending, const TProtectionStatuses& protections);

// The badge's text: the count up to 99, then "99+"; empty for none.
QString BadgeText(int pending);

// The tray icon of a state: the product's shield (in its warning form with a warning sign)
// with the badge in its top right corner, at the usual tray sizes.
QIcon RenderTrayIcon(const TTrayIconState& state);

} // namespace vx::app
