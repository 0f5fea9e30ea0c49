#pragma once

#include "housekeeping/TempFolderCleaner.h"
#include "housekeeping/WindowClass.h"

#include <functional>
#include <map>
#include <string>

#include <QDialog>

class QCloseEvent;
class QEventLoop;
class QPushButton;
class QTimer;

namespace vx::housekeeping::ui {

// Starts or restarts the popup's timer `id`, which calls `fire` every `period` ms while the
// popup exists (SetTimer). The popup's own uses a QTimer; a test passes its own to fire the
// timers without waiting.
using TStartTimer = std::function<void(WPARAM id, UINT period, std::function<void()> fire)>;

// The cleaner's question popup: a window of the class "qelFilesTempFolderPopup", which the
// cleaner's start-up registers, with the No, the Yes and the "No, and do not ask again"
// buttons. What the class record says is carried out where it means something to Qt: the
// procedure gets the window's messages, the cursor is the arrow, the background the system
// colour the brush value names; style 0, no extra bytes and no menu ask for nothing, and the
// icon "MAINICON" is not found, so the window shows the application's as any without its own.
// Labels a cleaner adds paint no background of their own, which is what the procedure's answer
// to the colouring of static controls achieves on Windows. Nothing in the tray makes one.
class TFilesTempFolderPopup : public QDialog, public TWindow {
public:
    // Raises EWindowClassError when the class is not registered. Starts the procedure's timers
    // (WM_CREATE) once the buttons exist.
    explicit TFilesTempFolderPopup(TStartTimer startTimer = {}, QWidget* parent = nullptr);
    ~TFilesTempFolderPopup() override;
    TFilesTempFolderPopup(const TFilesTempFolderPopup&) = delete;
    TFilesTempFolderPopup& operator=(const TFilesTempFolderPopup&) = delete;

    QPushButton* NoButton() const { return FNoButton; }
    QPushButton* YesButton() const { return FYesButton; }
    QPushButton* NoAndDoNotAskAgainButton() const { return FNoAndDoNotAskAgainButton; }
    // Writes this window's handle and its buttons' into the question's popup record, as the
    // cleaner does once it has made the popup.
    void FillRecord(TTempFolderPopup& popup) const;

    // Shows the popup and runs its message loop until the procedure ends it (at once when an
    // end was posted before); the exit code given with the end. The popup must outlive it.
    int RunMessageLoop();

    // What the procedure asks of the window.
    void SetTimer(WPARAM id, UINT elapse) override;
    void SetControlText(HWND control, const std::string& text) override;
    void PostQuitMessage(int exitCode) override;
    void SetVisible(bool visible) override;

protected:
    // Closing the popup (its title bar or Escape) answers No, as the No button does; the
    // window stays until its question is freed, as after any answer.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QPushButton* AddButton(const std::string& caption, HWND handle);
    void StartQtTimer(WPARAM id, UINT period, std::function<void()> fire);

    TStartTimer FStartTimer;
    std::map<HWND, QPushButton*> FButtons; // children, owned by Qt
    std::map<WPARAM, QTimer*> FTimers;     // children, owned by Qt
    HWND FNoHandle = 0;
    HWND FYesHandle = 0;
    HWND FNoAndDoNotAskAgainHandle = 0;
    QPushButton* FNoButton = nullptr;
    QPushButton* FYesButton = nullptr;
    QPushButton* FNoAndDoNotAskAgainButton = nullptr;
    QEventLoop* FLoop = nullptr; // the running message loop, not owned
    bool FQuitPosted = false;
    int FExitCode = 0;
};

} // namespace vx::housekeeping::ui
