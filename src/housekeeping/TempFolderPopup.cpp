#include "housekeeping/TempFolderPopup.h"

#include "housekeeping/TempFolderCleaner.h"
#include "platform/Format.h"

namespace vx::housekeeping {

namespace {

constexpr const char* NoCaption = "&No";
constexpr const char* YesCaption = "&Yes";
constexpr const char* NoCountdownCaption = "&No (%d)";
constexpr const char* YesCountdownCaption = "&Yes (%d)";
constexpr const char* DoNotAskAgainCaption = "No, and &do not ask again";

constexpr const char* PopupIconName = "MAINICON";
// hbrBackground 15: Windows takes small values as a system colour index plus one.
constexpr std::uintptr_t PopupBackground = 15;

TTempFolderFiles* QuestionOf(const TWindow& window) {
    TTempFolderCleaner* cleaner = TempFolderCleaner();
    return cleaner == nullptr ? nullptr : cleaner->CleanerList.Find(window.Handle());
}

HWND DefaultButton(const TTempFolderFiles& question) {
    const TTempFolderPopup& popup = question.Popup();
    return question.DefaultIndex() == AnswerNo ? popup.NoButton : popup.YesButton;
}

void Answer(TWindow& window, TTempFolderFiles& question, HWND source) {
    TTempFolderPopup& popup = question.Popup();
    if (source == 0) {
        return; // menus and accelerators: no button of the popup
    }
    if (source == popup.YesButton) {
        popup.Result = AnswerYes;
    } else if (source == popup.NoButton) {
        popup.Result = AnswerNo;
    } else if (source == popup.NoAndDoNotAskAgainButton) {
        TempFolderCleaner()->DoNotAskAgain = true;
        popup.Result = AnswerNo;
    } else {
        return;
    }
    window.PostQuitMessage(0);
}

} // namespace

TWindowClass TempFolderPopupClass() {
    TWindowClass windowClass;
    windowClass.ClassName = TempFolderPopupClassName;
    windowClass.Style = 0;
    windowClass.WindowProc = TempFolderPopupProc;
    windowClass.IconName = PopupIconName;
    windowClass.Cursor = IDC_ARROW;
    windowClass.Background = PopupBackground;
    return windowClass;
}

void TempFolderPopupProc(TWindow& window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        if (const TTempFolderCleaner* cleaner = TempFolderCleaner()) {
            window.SetTimer(CountdownTimer, CountdownPeriod);
            // Delay × 1000 cut to SetTimer's unsigned 32 bits, as a 32-bit product gives it
            // (no overflow here); SetTimer then brings it into its range.
            window.SetTimer(AnswerTimer,
                            static_cast<UINT>(static_cast<std::int64_t>(cleaner->Delay) * 1000));
        }
        break;
    case WM_TIMER:
        if (wParam == CountdownTimer) {
            if (TTempFolderFiles* question = QuestionOf(window)) {
                TTempFolderPopup& popup = question->Popup();
                ++popup.TickCounter;
                window.SetControlText(
                    DefaultButton(*question),
                    TempFolderCountdownCaption(question->DefaultIndex(),
                                               std::int64_t{TempFolderCleaner()->Delay} -
                                                   popup.TickCounter));
            }
        } else if (wParam == AnswerTimer) {
            if (TTempFolderFiles* question = QuestionOf(window)) {
                question->Popup().Result = question->DefaultIndex();
            }
            // Also without its question, so that nothing waits on the popup for ever.
            window.PostQuitMessage(0);
        }
        break;
    case WM_COMMAND:
        if (TTempFolderFiles* question = QuestionOf(window)) {
            Answer(window, *question, static_cast<HWND>(lParam));
        }
        break;
    default:
        break;
    }
}

std::string TempFolderButtonCaption(std::int32_t answer) {
    return answer == AnswerNo ? NoCaption : YesCaption;
}

std::string TempFolderCountdownCaption(std::int32_t answer, std::int64_t secondsLeft) {
    return Format(answer == AnswerNo ? NoCountdownCaption : YesCountdownCaption, secondsLeft);
}

std::string TempFolderDoNotAskAgainCaption() {
    return DoNotAskAgainCaption;
}

} // namespace vx::housekeeping
