#include "housekeeping/WindowClass.h"

#include "platform/TextCodec.h"

#include <algorithm>
#include <map>
#include <string>

namespace vx::housekeeping {

namespace {

// UI thread only, like the windows themselves: no lock.
std::map<std::string, TWindowClass, win::TFoldedLess> WindowClasses;
std::map<HWND, TWindow*> Windows; // not owned: each window enters and leaves itself
HWND LastHandle = 0;

TWindowClass RegisteredClass(std::string_view className) {
    TWindowClass windowClass;
    if (!GetWindowClass(className, windowClass)) {
        throw EWindowClassError("Window class \"" + std::string(className) +
                                "\" is not registered");
    }
    return windowClass;
}

} // namespace

bool RegisterWindowClass(const TWindowClass& windowClass) {
    if (windowClass.ClassName.empty() || windowClass.WindowProc == nullptr) {
        return false;
    }
    return WindowClasses.emplace(windowClass.ClassName, windowClass).second;
}

bool UnregisterWindowClass(std::string_view className) {
    const auto found = WindowClasses.find(std::string(className));
    if (found == WindowClasses.end()) {
        return false;
    }
    WindowClasses.erase(found);
    return true;
}

bool GetWindowClass(std::string_view className, TWindowClass& windowClass) {
    const auto found = WindowClasses.find(std::string(className));
    if (found == WindowClasses.end()) {
        return false;
    }
    windowClass = found->second;
    return true;
}

TWindow::TWindow(std::string_view className)
    : FHandle(NewWindowHandle()), FClass(RegisteredClass(className)) {
    Windows.emplace(FHandle, this);
}

TWindow::~TWindow() {
    Windows.erase(FHandle);
}

void TWindow::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    FClass.WindowProc(*this, message, wParam, lParam);
}

HWND NewWindowHandle() {
    return ++LastHandle;
}

TWindow* WindowFromHandle(HWND handle) {
    const auto found = Windows.find(handle);
    return found == Windows.end() ? nullptr : found->second;
}

UINT TimerPeriod(UINT elapse) {
    return std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
}

bool ShowWindow(HWND handle, int command) {
    TWindow* window = WindowFromHandle(handle);
    if (window == nullptr) {
        return false;
    }
    window->SetVisible(command != SW_HIDE);
    return true;
}

} // namespace vx::housekeeping
