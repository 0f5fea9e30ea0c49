#include "taskdialog/JSDialog.h"

#include "platform/Format.h"
#include "taskdialog/JSDefaultFonts.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <exception>

#include <QApplication>
#include <QCheckBox>
#include <QtGlobal>

namespace vx::taskdialog {
namespace {

constexpr const char* ContentIndexError = "Content line index out of bounds (%d)";
constexpr const char* ClickHandlerFailed = "A dialog's click handler failed: %s";

TJSHelpHandler& HelpHandler() {
    static TJSHelpHandler Handler;
    return Handler;
}

// The window a modal dialog belongs to: the active visible window, if any.
QWidget* ModalParent() {
    QWidget* Active = QApplication::activeWindow();
    return Active != nullptr && Active->isVisible() ? Active : nullptr;
}

} // namespace

TJSHelpHandler SetJSHelpHandler(TJSHelpHandler Handler) {
    TJSHelpHandler Previous = std::move(HelpHandler());
    HelpHandler() = std::move(Handler);
    return Previous;
}

TJSDialog::TJSDialog() {
    const TJSDefaultFontTable& Fonts = TJSDefaultFonts();
    Header.Font = Fonts[dfHeader];
    FInstruction.Font = Fonts[dfInstruction];
    Footer.Font = Fonts[dfFooter];
    Font = Fonts[dfText];
}

TJSDialog::~TJSDialog() {
    delete FForm.data();
}

void TJSDialog::SetContent(const QStringList& Lines) {
    FContent = Lines;
    if (FForm) {
        FForm->UpdateTexts();
    }
}

void TJSDialog::SetContentLine(int Index, const QString& Text) {
    if (Index < 0 || Index >= FContent.size()) {
        throw EJSDialogError(Format(ContentIndexError, Index));
    }
    FContent[Index] = Text;
    if (FForm) {
        FForm->UpdateTexts();
    }
}

void TJSDialog::SetInstructionText(const QString& Text) {
    FInstruction.Text = Text;
    if (FForm) {
        FForm->UpdateTexts();
    }
}

int TJSDialog::Execute() {
    if (FForm && FForm->isVisible()) {
        FForm->show();
        FForm->raise();
        FForm->activateWindow();
        return ExecuteShown;
    }
    if (FForm) {
        // A modeless window closed earlier: built again from the current properties. It may
        // still be inside its own click handler, so it goes when control returns to the loop.
        FForm->Detach();
        FForm->deleteLater();
        FForm.clear();
    }
    const bool Modal = DialogOptions.Contains(doModal);
    // A modeless window lives on across Executes: it takes no parent whose end would take
    // it along.
    FForm = new TJSTaskDialogForm(*this, Modal ? ModalParent() : nullptr);
    FForm->PlaceWindow();
    if (!Modal) {
        FForm->show();
        FForm->raise();
        FForm->activateWindow();
        return ExecuteShown;
    }
    FModalResult = mrNone;
    FForm->exec();
    delete FForm.data();
    return FModalResult;
}

bool TJSDialog::VerificationChecked() const {
    if (FForm && FForm->isVisible() && FForm->VerificationCheckBox() != nullptr) {
        return FForm->VerificationCheckBox()->isChecked();
    }
    return FVerificationKnown ? FVerificationState : Verification.InitialState;
}

bool TJSDialog::ButtonClicked(TJSControlType ControlType, QAbstractButton* Control, int Value,
                              int Result) {
    FModalResult = Result;
    bool Handled = false;
    if (OnControlClick) {
        try {
            OnControlClick(*this, ControlType, Control, Value, Handled);
        } catch (const std::exception& Error) {
            // Nothing may escape into the event loop; the window stays as it is.
            qWarning("%s", Format(ClickHandlerFailed, Error.what()).c_str());
            Handled = true;
        }
    }
    return Handled;
}

void TJSDialog::HelpRequested(THelpType Type) {
    if (HelpHandler()) {
        HelpHandler()(Type, HelpContext, HelpKeyword);
    }
}

void TJSDialog::LinkClicked(const QString& Target) {
    if (OnHyperlinkClick) {
        OnHyperlinkClick(*this, Target);
    }
}

void TJSDialog::CustomButtonChanged(const TJSCustomButton& Button) {
    if (FForm) {
        FForm->UpdateCustomButton(Button.Value() - CustomButtons.Items(0).Value());
    }
}

void TJSDialog::FormClosing(bool VerificationState) {
    FVerificationState = VerificationState;
    FVerificationKnown = true;
}

} // namespace vx::taskdialog
