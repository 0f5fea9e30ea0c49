#pragma once

#include <memory>
#include <vector>

#include <QKeySequence>
#include <QList>
#include <QString>

namespace vx::taskdialog {

class TJSDialog;

// A button the application defines. Its Value is given by the collection when it is added:
// 100 for the first item, 101 for the second, and so on.
class TJSCustomButton {
public:
    QString Caption;
    int ModalResult = 0;
    bool Visible = true;
    bool Default = false;
    bool Cancel = false;
    // A button that must only ever be pressed on purpose: it takes no keyboard focus, and it
    // ignores all input (it shows disabled) for the dialog's InputDelay after the window is
    // shown, after it becomes the active window and after each RestartInputDelay.
    bool Guarded = false;
    // Keys that press the button while the window is active, as a click would; a disabled
    // button ignores them. Set before the window is built.
    QList<QKeySequence> Shortcuts;

    int Value() const { return FValue; }
    bool Enabled() const { return FEnabled; }
    // Takes effect at once on a shown window.
    void SetEnabled(bool enabled);

private:
    friend class TJSCustomButtons;
    TJSCustomButton(TJSDialog& dialog, int value) : FDialog(dialog), FValue(value) {}

    TJSDialog& FDialog;
    int FValue;
    bool FEnabled = true;
};

// The custom buttons of a dialog, in the order they were added. Items keep their address for
// the life of the dialog.
class TJSCustomButtons {
public:
    explicit TJSCustomButtons(TJSDialog& dialog) : FDialog(dialog) {}
    TJSCustomButtons(const TJSCustomButtons&) = delete;
    TJSCustomButtons& operator=(const TJSCustomButtons&) = delete;

    TJSCustomButton& Add();
    int Count() const { return static_cast<int>(FItems.size()); }
    // Raises EJSDialogError for a position outside 0 .. Count - 1.
    TJSCustomButton& Items(int index) const;

private:
    static constexpr int FirstValue = 100;

    TJSDialog& FDialog;
    std::vector<std::unique_ptr<TJSCustomButton>> FItems;
};

} // namespace vx::taskdialog
