#pragma once

#include "housekeeping/TempFolderCleaner.h"
#include "housekeeping/TempFolderPopup.h"
#include "housekeeping/WindowClass.h"

#include <map>
#include <string>
#include <vector>

namespace vx::housekeeping::test {

// A window of the popup class that records what the procedure asks of it.
class TFakePopup : public TWindow {
public:
    TFakePopup() : TWindow(TempFolderPopupClassName) {}

    void SetTimer(WPARAM id, UINT elapse) override { Timers[id] = elapse; }
    void SetControlText(HWND control, const std::string& text) override { Texts[control] = text; }
    void PostQuitMessage(int exitCode) override { QuitCodes.push_back(exitCode); }
    void SetVisible(bool visible) override { Visible = visible; }

    // Fills a popup record with this window and three new button handles.
    void FillRecord(TTempFolderPopup& popup) const {
        popup.Window = Handle();
        popup.NoButton = NewWindowHandle();
        popup.YesButton = NewWindowHandle();
        popup.NoAndDoNotAskAgainButton = NewWindowHandle();
    }

    std::map<WPARAM, UINT> Timers;
    std::map<HWND, std::string> Texts;
    std::vector<int> QuitCodes;
    bool Visible = true;
};

} // namespace vx::housekeeping::test
