#pragma once

#include "housekeeping/WindowClass.h"

#include <cstdint>
#include <string>

// The window class of the cleaner's question popup, "qelFilesTempFolderPopup", and its window
// procedure: a countdown on the default button, the default answer when it runs out, and the
// answers of the three buttons. The procedure finds its question through the cleaner list by
// the popup's handle; a step that needs the question does nothing without one.
namespace vx::housekeeping {

inline constexpr const char* TempFolderPopupClassName = "qelFilesTempFolderPopup";

// The popup's timers: the countdown's second, and the end of the countdown.
inline constexpr WPARAM CountdownTimer = 555;
inline constexpr WPARAM AnswerTimer = 666;
inline constexpr UINT CountdownPeriod = 1000;

// The class record as start-up registers it: style 0, the procedure below, icon "MAINICON"
// (looked up without a module, so the class has no icon), the arrow cursor, background brush
// value 15, no extra bytes, no menu.
TWindowClass TempFolderPopupClass();

// WM_CREATE starts both timers; WM_TIMER counts a second or gives the default answer; a
// WM_COMMAND from one of the three buttons answers. Other messages are left to the window.
void TempFolderPopupProc(TWindow& window, UINT message, WPARAM wParam, LPARAM lParam);

// The button captions: "&No", "&Yes", and while the countdown runs "&No (%d)" or "&Yes (%d)"
// with the seconds left.
std::string TempFolderButtonCaption(std::int32_t answer);
std::string TempFolderCountdownCaption(std::int32_t answer, std::int64_t secondsLeft);
// The third button's caption, ours: the popup's layout is the cleaner's, not this system's.
std::string TempFolderDoNotAskAgainCaption();

} // namespace vx::housekeeping
