#include "housekeeping/TempFolderCleaner.h"

#include "housekeeping/TempFolderPopup.h"
#include "housekeeping/Tweaks.h"

#include <algorithm>
#include <utility>

namespace vx::housekeeping {

namespace {

constexpr const char* DelayValue = "TempFolderCleanDelay";
constexpr const char* MinimumValue = "TempFolderCleanMinimum";

std::unique_ptr<TTempFolderCleaner> TheTempFolderCleaner;

} // namespace

TTempFolderFiles::TTempFolderFiles(std::vector<std::string> files, std::int32_t defaultIndex)
    : FFiles(std::make_unique<std::vector<std::string>>(std::move(files))),
      FPopup(std::make_unique<TTempFolderPopup>()),
      FDefaultIndex(defaultIndex == AnswerNo ? AnswerNo : AnswerYes) {}

TTempFolderFiles::~TTempFolderFiles() {
    if (TheTempFolderCleaner) {
        TheTempFolderCleaner->CleanerList.Remove(this);
    }
    if (FPopup->Window != 0) {
        ShowWindow(FPopup->Window, SW_HIDE); // a handle whose window is gone names nothing
    }
}

TTempFolderFiles* TCleanerList::Find(HWND window) const {
    if (window == 0) {
        return nullptr;
    }
    const auto found = std::find_if(FItems.begin(), FItems.end(), [window](const auto* entry) {
        return entry->Popup().Window == window;
    });
    return found == FItems.end() ? nullptr : *found;
}

void TCleanerList::Remove(const TTempFolderFiles* entry) {
    const auto found = std::find(FItems.begin(), FItems.end(), entry);
    if (found == FItems.end()) {
        return;
    }
    // The order of the others is not kept: the last entry fills the gap.
    *found = FItems.back();
    FItems.pop_back();
}

void CreateTempFolderCleaner() {
    if (TheTempFolderCleaner) {
        return;
    }
    auto cleaner = std::make_unique<TTempFolderCleaner>();
    ReadTweakInteger(DelayValue, cleaner->Delay);
    ReadTweakInteger(MinimumValue, cleaner->Minimum);
    RegisterWindowClass(TempFolderPopupClass());
    TheTempFolderCleaner = std::move(cleaner);
}

void FreeTempFolderCleaner() {
    TheTempFolderCleaner.reset();
    UnregisterWindowClass(TempFolderPopupClassName);
}

TTempFolderCleaner* TempFolderCleaner() {
    return TheTempFolderCleaner.get();
}

} // namespace vx::housekeeping
