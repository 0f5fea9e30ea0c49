#pragma once

#include "platform/LocaleTime.h"

#include <string>

namespace vx::dialogs {

// A decision's timestamp (local date-time: days since 30 December 1899, the fraction the time
// of day, to the millisecond) as the locale's short date, a blank and its long time; exactly
// midnight shows the date alone. Raises EConvertError for a value that is not a date of the
// years 1 to 9999.
std::string DecisionTimeText(double timestamp,
                             const win::TLocaleTime& locale = win::TLocaleTime::User());

} // namespace vx::dialogs
