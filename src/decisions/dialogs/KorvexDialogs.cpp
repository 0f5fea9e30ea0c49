#include "decisions/dialogs/KorvexDialogs.h"

#include "decisions/DialogTextData.h"
#include "decisions/DialogTexts.h"
#include "decisions/dialogs/DialogText.h"
#include "decisions/dialogs/KorvexDialog.h"
#include "platform/EventLog.h"
#include "platform/Exception.h"
#include "product/ProductIdentity.h"

#include <array>
#include <exception>

#include <QRegularExpression>

namespace vx::dialogs {

using namespace taskdialog;
namespace {

constexpr std::uint16_t EventCategory = 1;
constexpr const char* DecisionDialogName = "AskPlimmDecisions";

// Message box icons by Kind.
constexpr std::array<TTaskDialogIcon, 5> KindIcons{tdiWarning, tdiError, tdiInformation,
                                                   tdiConfirmation, tdiCustom};

TKorvexPlimmDecisionDialog* TheDecisionDialog = nullptr;

} // namespace

TKorvexPlimmDecisionDialog* DecisionDialog() {
    return TheDecisionDialog;
}

void FreeDecisionDialog() {
    delete TheDecisionDialog;
    TheDecisionDialog = nullptr;
}

bool ShowPlimmDecisions(decisions::TDecisionList* List, TDecisionVerdictEvent OnVerdict) {
    try {
        if (TheDecisionDialog == nullptr) {
            TheDecisionDialog = new TKorvexPlimmDecisionDialog();
            TheDecisionDialog->SetOnVerdict(std::move(OnVerdict));
        }
        TheDecisionDialog->ShowDecisions(List);
    } catch (...) {
        ReportDialogError(DecisionDialogName, CurrentExceptionText());
    }
    return true;
}

bool RefreshPlimmDecisions() {
    if (TheDecisionDialog == nullptr) {
        return false;
    }
    try {
        TheDecisionDialog->RefreshDialog();
        return true;
    } catch (...) {
        return false;
    }
}

void ReportDialogError(const std::string& DialogName, const std::string& Message) {
    try {
        win::WriteEventLog(win::EVENTLOG_ERROR_TYPE, EventCategory, product::ProductEventSource,
                           {DialogName, Message});
    } catch (...) {
        // The event log is the last place an error can go.
    }
}

int KorvexMessageDlg(const std::string& Msg, std::uint8_t Kind, TCommonButtons Buttons,
                     std::int32_t HelpContext, TCommonButton DefaultButton) {
    TKorvexDialog Dialog(decisions::GenericDialog);
    Dialog.SetContent(DialogText(Msg).split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))));
    Dialog.MainIcon = Kind < KindIcons.size() ? KindIcons[Kind] : tdiNone;
    Dialog.ButtonBar.Buttons = {};
    for (int Button = cbYes; Button <= cbHelp; ++Button) {
        if (Buttons.Contains(static_cast<TCommonButton>(Button))) {
            Dialog.ButtonBar.Buttons.Include(static_cast<TCommonButton>(Button));
        }
    }
    if (Dialog.ButtonBar.UseDefault) {
        Dialog.ButtonBar.Default = DefaultButton;
    }
    if (Dialog.ButtonBar.UseCancel) {
        Dialog.ButtonBar.Cancel = Buttons.Contains(cbCancel) ? cbCancel
                                  : Buttons.Contains(cbNo)   ? cbNo
                                                             : cbOK;
    }
    Dialog.HelpContext = HelpContext;
    return Dialog.Execute();
}

} // namespace vx::dialogs
