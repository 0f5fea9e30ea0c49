#pragma once

#include "platform/Exception.h"
#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <string_view>

// Window classes of ours and the windows made of them, the way Windows keeps them: a class is
// registered once by name with its window procedure and look, a window of it gets a handle and
// hands its messages to the class's procedure. The Qt windows that stand for such a class
// derive from TWindow and carry out what the procedure asks (timers, texts, showing, ending
// their message loop). User-interface thread only.
namespace vx::housekeeping {

using HWND = std::uintptr_t; // 0 = no window
using win::UINT;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

// The messages our window procedures handle. WM_COMMAND's lParam is the handle of the
// control the command comes from, WM_TIMER's wParam the timer's id.
inline constexpr UINT WM_CREATE = 0x0001;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_TIMER = 0x0113;

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

// SetTimer's range of periods, in ms.
inline constexpr UINT USER_TIMER_MINIMUM = 0x0000000A;
inline constexpr UINT USER_TIMER_MAXIMUM = 0x7FFFFFFF;

// A cursor or icon named by a resource number, as MAKEINTRESOURCE passes it.
inline constexpr std::uint32_t IDC_ARROW = 0x7F00;

class TWindow;
using TWindowProc = void (*)(TWindow& window, UINT message, WPARAM wParam, LPARAM lParam);

// The class record (WNDCLASSA). `Background` is hbrBackground: a system colour index plus one,
// as Windows reads small brush values.
struct TWindowClass {
    std::string ClassName;
    std::uint32_t Style = 0;
    TWindowProc WindowProc = nullptr;
    std::int32_t ClassExtra = 0;
    std::int32_t WindowExtra = 0;
    std::string IconName;
    std::uint32_t Cursor = 0;
    std::uintptr_t Background = 0;
    std::string MenuName;
};

// Raised when a window is made of a class that is not registered.
class EWindowClassError : public vx::Exception {
public:
    using vx::Exception::Exception;
};

// RegisterClassA: false when a class of that name (compared without regard to case) is
// registered already, or when the record has no name or no procedure.
bool RegisterWindowClass(const TWindowClass& windowClass);
// UnregisterClassA: false when no class of that name is registered.
bool UnregisterWindowClass(std::string_view className);
// GetClassInfoA: true and `windowClass` filled when the class is registered.
bool GetWindowClass(std::string_view className, TWindowClass& windowClass);

// A window of one of our classes. Its handle is new for the process's life and names the
// window until it is destroyed; afterwards it names nothing.
class TWindow {
public:
    // Takes the class record as registered now; raises EWindowClassError when `className` is
    // not registered. The derived window sends WM_CREATE itself once it is complete.
    explicit TWindow(std::string_view className);
    virtual ~TWindow();
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    HWND Handle() const { return FHandle; }
    const TWindowClass& WindowClass() const { return FClass; }

    // Hands a message to the class's window procedure.
    void SendMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // SetTimer: starts or restarts timer `id`, which then sends WM_TIMER every `elapse` ms.
    virtual void SetTimer(WPARAM id, UINT elapse) = 0;
    // SetWindowTextA on the control `control` of this window; other handles are ignored.
    virtual void SetControlText(HWND control, const std::string& text) = 0;
    // PostQuitMessage: ends the message loop that runs for this window, or the next one to run.
    virtual void PostQuitMessage(int exitCode) = 0;
    virtual void SetVisible(bool visible) = 0;

private:
    HWND FHandle;
    TWindowClass FClass;
};

// A new handle for a window or control of ours; never 0, never given twice.
HWND NewWindowHandle();
// The window `handle` names, or null.
TWindow* WindowFromHandle(HWND handle);
// The period SetTimer runs a timer with: `elapse` brought into USER_TIMER_MINIMUM to
// USER_TIMER_MAXIMUM.
UINT TimerPeriod(UINT elapse);

// ShowWindow with SW_HIDE or SW_SHOW (any other command shows); false when `handle` names no
// window.
bool ShowWindow(HWND handle, int command);

} // namespace vx::housekeeping
