#pragma once

#include "platform/Exception.h"
#include "taskdialog/JSCustomButtons.h"
#include "taskdialog/JSTaskDialogForm.h"
#include "taskdialog/JSTypes.h"

#include <functional>

#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAbstractButton;

namespace vx::taskdialog {

class EJSDialogError : public vx::Exception {
public:
    using vx::Exception::Exception;
};

class TJSDialog;

// Runs after a button click, before the window would close; setting `handled` keeps it open.
// `value` is a custom button's Value, or the TCommonButton of a common button.
using TControlClickEvent = std::function<void(TJSDialog& sender, TJSControlType controlType,
                                              QAbstractButton* control, int value, bool& handled)>;
// A link of a text was clicked; `target` is its href.
using THyperlinkClickEvent = std::function<void(TJSDialog& sender, const QString& target)>;
// The application's help system: asked for a topic by number or by keyword.
using TJSHelpHandler =
    std::function<void(THelpType helpType, int helpContext, const QString& helpKeyword)>;

// Installs the application's help system for every dialog and returns the previous one.
// Without one, help requests do nothing.
TJSHelpHandler SetJSHelpHandler(TJSHelpHandler handler);

// Colours left invalid take the system's colour: the window colour for the body and the
// header, the button face for the button bar and the footer.
struct TJSGradient {
    bool Enabled = false;
    QColor StartColor;
    QColor EndColor;
    TGradientDirection Direction = gdHorizontal;
};

struct THeaderOptions {
    bool Visible = false;
    QString Text;
    TJSFontSettings Font;
    QColor Color;
    TTaskDialogIcon Icon = tdiNone;
    QPixmap Glyph; // drawn when Icon is tdiCustom
    TJSIconSize IconSize = isLarge;
    TJSGradient Gradient;
};

struct TInstructionOptions {
    QString Text;
    TJSFontSettings Font; // used without UseDefaultFonts
};

struct TButtonBarOptions {
    TCommonButtons Buttons{cbOK, cbCancel};
    TCommonButton Default = cbOK;
    TCommonButton Cancel = cbCancel;
    bool UseDefault = true;
    bool UseCancel = true;
    bool Visible = true;
    QColor Color;
    bool ShowDivider = true;
};

struct TVerificationOptions {
    bool Visible = false;
    QString Text;
    bool InitialState = false;
};

struct TFooterOptions {
    bool Visible = false;
    QString Text;
    QColor Color;
    TJSFontSettings Font; // used without UseDefaultFonts
};

// The task-dialog widget: a description of a dialog in properties, from which Execute builds
// a window (TJSTaskDialogForm). Texts take the widget's inline markup (taskdialog/JSMarkup.h);
// whoever puts data into them escapes it first. User-interface thread only.
class TJSDialog {
public:
    TJSDialog();
    virtual ~TJSDialog();
    TJSDialog(const TJSDialog&) = delete;
    TJSDialog& operator=(const TJSDialog&) = delete;

    QString Title;
    THeaderOptions Header;
    TTaskDialogIcon MainIcon = tdiNone;
    TJSCustomButtons CustomButtons{*this};
    TButtonBarOptions ButtonBar;
    TVerificationOptions Verification;
    TFooterOptions Footer;
    TDialogOptions DialogOptions{doModal};
    int HelpContext = 0;
    THelpType HelpType = htContext;
    QString HelpKeyword;
    TDialogPosition Position = dpScreenCenter;
    QColor Color;
    int Width = 0;        // client width; 0: computed
    TJSFontSettings Font; // the dialog text's font, used without UseDefaultFonts
    bool UseDefaultFonts = true;
    bool AllowCancel = true;
    bool AllowMinimize = false;
    // How long Guarded custom buttons ignore input (milliseconds; 0: not at all).
    int InputDelay = 0;
    TControlClickEvent OnControlClick;
    THyperlinkClickEvent OnHyperlinkClick;

    // Content: one paragraph per line. Changes show at once on a shown window; setting the
    // same lines again changes nothing. `wholeLines` gives, for a line that is shown
    // shortened, the whole line as plain text: the line's tooltip and what Ctrl+C copies
    // (empty or missing for lines shown whole).
    const QStringList& Content() const { return FContent; }
    const QStringList& ContentWholeLines() const { return FContentWhole; }
    void SetContent(const QStringList& lines, const QStringList& wholeLines = {});
    // Raises EJSDialogError for a line outside 0 .. count - 1.
    void SetContentLine(int index, const QString& text);

    const TInstructionOptions& Instruction() const { return FInstruction; }
    TInstructionOptions& Instruction() { return FInstruction; }
    // Shows at once on a shown window; the window is laid out again only when the
    // instruction's height changed.
    void SetInstructionText(const QString& text);

    // Shows the dialog. A window that exists and is visible is only brought to the front
    // (-1). Otherwise a window is built from the properties: with doModal it runs modally
    // and is freed afterwards, and Execute returns the modal result; without it the window
    // shows modelessly and Execute returns -1.
    int Execute();

    // For a modeless dialog whose showing the user did not ask for (a notification): shows
    // the window, or brings a shown one to the front, without activating it, so the keyboard
    // stays where the user is typing, and marks it as wanting the user's attention. Returns
    // true when the window was hidden until now.
    bool ShowWithoutActivating();

    // Guarded custom buttons ignore input for InputDelay from now on (for example when the
    // window starts showing something else).
    void RestartInputDelay();

    // Set when a button is clicked or the window is closed.
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int result) { FModalResult = result; }

    // The check box's state: the shown window's, else the one it closed with, else the
    // initial state.
    bool VerificationChecked() const;

    // The window while it exists (shown, or a modeless one closed and hidden); else null.
    TJSTaskDialogForm* Form() const { return FForm.data(); }

private:
    friend class TJSCustomButton;
    friend class TJSTaskDialogForm;

    // From the window: a button was clicked with that modal result; returns `handled`.
    bool ButtonClicked(TJSControlType controlType, QAbstractButton* control, int value, int result);
    void HelpRequested(THelpType type);
    void LinkClicked(const QString& target);
    void CustomButtonChanged(const TJSCustomButton& button);
    void FormClosing(bool verificationState);
    // Builds a new window from the properties, dropping a hidden one; shows nothing.
    void BuildForm(bool modal);

    QStringList FContent;
    QStringList FContentWhole;
    TInstructionOptions FInstruction;
    int FModalResult = 0;
    bool FVerificationState = false;
    bool FVerificationKnown = false;
    QPointer<TJSTaskDialogForm> FForm;
};

} // namespace vx::taskdialog
