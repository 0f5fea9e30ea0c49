#pragma once

#include <QFont>
#include <QString>

namespace vx::dialogs {

// What stands for the left-out middle of a shortened text.
inline constexpr char16_t Ellipsis = 0x2026;

// `value` (plain text) as it fits behind `label` in at most `maxRows` rows of `width` pixels,
// wrapped at word boundaries or, for a long word, anywhere: whole when it fits, else with its
// middle left out for an ellipsis, keeping as much of its beginning and end as fits.
QString ElideToRows(const QString& label, const QFont& labelFont, const QString& value,
                    const QFont& font, int width, int maxRows);

} // namespace vx::dialogs
