#pragma once

#include "taskdialog/JSTypes.h"

#include <array>
#include <vector>

#include <QDialog>
#include <QElapsedTimer>
#include <QMargins>
#include <QRect>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QPushButton;
class QTimer;

namespace vx::taskdialog {

class TJSBand;
class TJSDialog;
class TJSTextView;

// The window of a TJSDialog, built from its properties: header band, main icon, instruction,
// content, button bar (verification check box, custom buttons, common buttons) and footer.
//
// A click sets the dialog's modal result, runs its OnControlClick and closes the window
// unless the handler set Handled. The close box gives 2, Escape clicks the cancel button,
// Help never closes, Ctrl+C copies the dialog as plain text. Guarded custom buttons take no
// focus and ignore input for the dialog's InputDelay after the window is shown, after it
// becomes active and after RestartInputDelay. The window is never taller than the screen's
// available area, and it is centred again whenever its size changes while it is shown.
class TJSTaskDialogForm : public QDialog {
    Q_OBJECT
public:
    TJSTaskDialogForm(TJSDialog& dialog, QWidget* parent);
    ~TJSTaskDialogForm() override;

    // The dialog lets go of this window (it is being replaced); it then reports nothing.
    void Detach() { FDialog = nullptr; }

    // Shows the dialog's current instruction and content, and lays the window out again.
    void UpdateTexts();
    // Shows the dialog's current instruction; lays the window out again only when its height
    // changed.
    void UpdateInstruction();
    // Shows the dialog's current content and lays the window out again.
    void UpdateContent();
    // Guarded custom buttons ignore input for the dialog's InputDelay from now on.
    void RestartInputDelay();
    // Guarded buttons are ignoring input now.
    bool InputDelayed() const { return FInputDelayed; }
    // Shows a custom button's current enabled state.
    void UpdateCustomButton(int index);
    // Places the window as the dialog's Position asks, inside the screen, frame included.
    void PlaceWindow();
    // Moves the window, frame included, inside the screen's available area.
    void KeepOnScreen();

    // The plain-text rendering that Ctrl+C copies.
    QString ClipboardText() const;

    // The parts, for whoever needs to look at them (null when the dialog has none).
    TJSBand* HeaderBand() const { return FHeader; }
    TJSTextView* HeaderView() const { return FHeaderText; }
    QLabel* MainIconLabel() const { return FMainIcon; }
    TJSTextView* InstructionView() const { return FInstruction; }
    TJSTextView* ContentView() const { return FContent; }
    TJSBand* ButtonBar() const { return FButtonBar; }
    QCheckBox* VerificationCheckBox() const { return FVerification; }
    QPushButton* CommonButton(TCommonButton button) const;
    QPushButton* CustomButton(int index) const;
    TJSBand* FooterBand() const { return FFooter; }
    TJSTextView* FooterView() const { return FFooterText; }

public slots:
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildHeader();
    void BuildBody();
    void BuildButtonBar();
    void BuildFooter();
    QPushButton* AddButton(const QString& caption);
    void CommonButtonClicked(TCommonButton button);
    void CustomButtonClicked(int index);
    // A custom button's keyboard shortcut: pressed as a click would press it, if it may be.
    void CustomShortcut(int index);
    void ShowContent();
    // Enables each custom button as its item says, Guarded ones only once the delay is over.
    void UpdateCustomButtons();
    // Runs the click through the dialog and closes with `result` unless it was handled.
    void ReportClick(TJSControlType controlType, QAbstractButton* control, int value, int result);
    void CloseWith(int result);
    void CancelPressed();
    void CopyToClipboard();

    // Layout (JSFormLayout.cpp).
    int Scaled(int pixels) const;
    // The window frame's width at each edge, as far as the window system has told it.
    QMargins FrameMargins() const;
    void CheckPlacement();
    void LayoutForm();
    void SizeButtons();
    int ButtonRowWidth() const;
    int HeaderHeight(int width) const;
    void PlaceButtonBar(int width);

    TJSDialog* FDialog;
    TJSBand* FHeader = nullptr;
    TJSTextView* FHeaderText = nullptr;
    QLabel* FMainIcon = nullptr;
    TJSTextView* FInstruction = nullptr;
    TJSTextView* FContent = nullptr;
    TJSBand* FButtonBar = nullptr;
    QCheckBox* FVerification = nullptr;
    std::vector<QPushButton*> FCustomButtons;
    std::array<QPushButton*, CommonButtonCount> FCommonButtons{};
    TJSBand* FFooter = nullptr;
    TJSTextView* FFooterText = nullptr;
    QPushButton* FCancelButton = nullptr;
    QTimer* FInputDelayTimer = nullptr;
    bool FInputDelayed = false;
    // Where the window was last placed, with the frame's width at each edge then: the window
    // system tells the frame only some time after the window is shown, and may answer a
    // placement late; the window is then placed again, a few times at most.
    QMargins FPlacedFrame;
    QRect FPlacedRect;
    QElapsedTimer FPlacedClock;
    QTimer* FSettleTimer = nullptr;
    int FPlacementRetries = 0;
};

} // namespace vx::taskdialog
