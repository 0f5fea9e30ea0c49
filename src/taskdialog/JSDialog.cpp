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
    static TJSHelpHandler handler;
    return handler;
}

// The window a modal dialog belongs to: the active visible window, if any.
QWidget* ModalParent() {
    QWidget* active = QApplication::activeWindow();
    return active != nullptr && active->isVisible() ? active : nullptr;
}

} // namespace

TJSHelpHandler SetJSHelpHandler(TJSHelpHandler handler) {
    TJSHelpHandler previous = std::move(HelpHandler());
    HelpHandler() = std::move(handler);
    return previous;
}

TJSDialog::TJSDialog() {
    const TJSDefaultFontTable& fonts = TJSDefaultFonts();
    Header.Font = fonts[dfHeader];
    FInstruction.Font = fonts[dfInstruction];
    Footer.Font = fonts[dfFooter];
    Font = fonts[dfText];
}

TJSDialog::~TJSDialog() {
    delete FForm.data();
}

void TJSDialog::SetContent(const QStringList& lines, const QStringList& wholeLines) {
    if (lines == FContent && wholeLines == FContentWhole) {
        return;
    }
    FContent = lines;
    FContentWhole = wholeLines;
    if (FForm) {
        FForm->UpdateContent();
    }
}

void TJSDialog::SetContentLine(int index, const QString& text) {
    if (index < 0 || index >= FContent.size()) {
        throw EJSDialogError(Format(ContentIndexError, index));
    }
    if (FContent[index] == text) {
        return;
    }
    FContent[index] = text;
    if (FForm) {
        FForm->UpdateContent();
    }
}

void TJSDialog::SetInstructionText(const QString& text) {
    if (FInstruction.Text == text) {
        return;
    }
    FInstruction.Text = text;
    if (FForm) {
        FForm->UpdateInstruction();
    }
}

void TJSDialog::BuildForm(bool modal) {
    if (FForm) {
        // A modeless window closed earlier: built again from the current properties. It may
        // still be inside its own click handler, so it goes when control returns to the loop.
        FForm->Detach();
        FForm->deleteLater();
        FForm.clear();
    }
    // A modeless window lives on across Executes: it takes no parent whose end would take
    // it along.
    FForm = new TJSTaskDialogForm(*this, modal ? ModalParent() : nullptr);
    FForm->PlaceWindow();
}

int TJSDialog::Execute() {
    if (FForm && FForm->isVisible()) {
        FForm->show();
        FForm->raise();
        FForm->activateWindow();
        return ExecuteShown;
    }
    const bool modal = DialogOptions.Contains(doModal);
    BuildForm(modal);
    if (!modal) {
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

bool TJSDialog::ShowWithoutActivating() {
    const bool wasHidden = !FForm || !FForm->isVisible();
    if (wasHidden) {
        BuildForm(false);
        FForm->setAttribute(Qt::WA_ShowWithoutActivating);
        FForm->show();
    }
    if (!FForm->isActiveWindow()) {
        FForm->raise();
        QApplication::alert(FForm);
    }
    return wasHidden;
}

void TJSDialog::RestartInputDelay() {
    if (FForm) {
        FForm->RestartInputDelay();
    }
}

bool TJSDialog::VerificationChecked() const {
    if (FForm && FForm->isVisible() && FForm->VerificationCheckBox() != nullptr) {
        return FForm->VerificationCheckBox()->isChecked();
    }
    return FVerificationKnown ? FVerificationState : Verification.InitialState;
}

bool TJSDialog::ButtonClicked(TJSControlType controlType, QAbstractButton* control, int value,
                              int result) {
    FModalResult = result;
    bool handled = false;
    if (OnControlClick) {
        try {
            OnControlClick(*this, controlType, control, value, handled);
        } catch (const std::exception& error) {
            // Nothing may escape into the event loop; the window stays as it is.
            qWarning("%s", Format(ClickHandlerFailed, error.what()).c_str());
            handled = true;
        }
    }
    return handled;
}

void TJSDialog::HelpRequested(THelpType type) {
    if (HelpHandler()) {
        HelpHandler()(type, HelpContext, HelpKeyword);
    }
}

void TJSDialog::LinkClicked(const QString& target) {
    if (OnHyperlinkClick) {
        OnHyperlinkClick(*this, target);
    }
}

void TJSDialog::CustomButtonChanged(const TJSCustomButton& button) {
    if (FForm) {
        FForm->UpdateCustomButton(button.Value() - CustomButtons.Items(0).Value());
    }
}

void TJSDialog::FormClosing(bool verificationState) {
    FVerificationState = verificationState;
    FVerificationKnown = true;
}

} // namespace vx::taskdialog
