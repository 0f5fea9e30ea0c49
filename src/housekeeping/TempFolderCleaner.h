#pragma once

#include "housekeeping/WindowClass.h"
#include "platform/TextCodec.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

// The parts of the temporary-folder cleaner that the tray carries: its two settings, the
// "do not ask again" choice, the list of open cleaner questions and their popups. The tray
// itself never asks a question: the list stays empty. User-interface thread only.
namespace vx::housekeeping {

inline constexpr std::int32_t DefaultTempFolderCleanDelay = 15;
inline constexpr std::int32_t DefaultTempFolderCleanMinimum = 100;

// The answers of a cleaner question, as the default answer's index and as the result.
inline constexpr std::int32_t AnswerNo = 0;
inline constexpr std::int32_t AnswerYes = 1;

// The popup record of a question: its window, its three buttons, the answer given and the
// seconds counted so far.
struct TTempFolderPopup {
    HWND Window = 0;
    HWND NoButton = 0;
    HWND YesButton = 0;
    HWND NoAndDoNotAskAgainButton = 0; // answers No and sets DoNotAskAgain
    std::int32_t Result = AnswerNo;
    std::int32_t TickCounter = 0;
};

// One question of the cleaner: the files it is about, its popup record and its default
// answer. It owns both; freeing it takes it off the cleaner list and hides its popup.
class TTempFolderFiles {
public:
    // `defaultIndex`: AnswerNo or AnswerYes; any other value is taken as AnswerYes.
    TTempFolderFiles(std::vector<std::string> files, std::int32_t defaultIndex);
    ~TTempFolderFiles();
    TTempFolderFiles(const TTempFolderFiles&) = delete;
    TTempFolderFiles& operator=(const TTempFolderFiles&) = delete;

    const std::vector<std::string>& Files() const { return *FFiles; }
    TTempFolderPopup& Popup() { return *FPopup; }
    const TTempFolderPopup& Popup() const { return *FPopup; }
    std::int32_t DefaultIndex() const { return FDefaultIndex; }

private:
    std::unique_ptr<std::vector<std::string>> FFiles;
    std::unique_ptr<TTempFolderPopup> FPopup;
    std::int32_t FDefaultIndex;
};

// The open questions (not owned), in no particular order.
class TCleanerList {
public:
    void Add(TTempFolderFiles* entry) { FItems.push_back(entry); }
    // The entry whose popup window is `window`, or null; handle 0 finds nothing.
    TTempFolderFiles* Find(HWND window) const;
    // Takes `entry` off the list: the last entry moves into its place. An entry that is not
    // on the list changes nothing.
    void Remove(const TTempFolderFiles* entry);

    std::size_t Count() const { return FItems.size(); }
    TTempFolderFiles* Items(std::size_t index) const { return FItems.at(index); }

private:
    std::vector<TTempFolderFiles*> FItems;
};

// A sorted list of names that ignores duplicates, compared without regard to case.
using TSortedNameList = win::TFoldedNameSet;

// The cleaner's process-wide state.
struct TTempFolderCleaner {
    std::int32_t Delay = DefaultTempFolderCleanDelay;     // seconds until a popup answers itself
    std::int32_t Minimum = DefaultTempFolderCleanMinimum; // read, never used here
    bool DoNotAskAgain = false;
    // Declared before CleanerList, so that the cleaner list goes first at shutdown.
    TSortedNameList Names;
    TCleanerList CleanerList;
};

// Start-up of the cleaner: the settings "TempFolderCleanDelay" and "TempFolderCleanMinimum"
// from the tweaks (15 and 100 when absent), the popup window class registered, the empty
// lists, DoNotAskAgain false. Shutdown frees the cleaner list, then the name list, and
// unregisters the class. Creating twice keeps the first state; freeing twice is harmless.
void CreateTempFolderCleaner();
void FreeTempFolderCleaner();
// The cleaner's state, or null outside start-up and shutdown.
TTempFolderCleaner* TempFolderCleaner();

} // namespace vx::housekeeping
