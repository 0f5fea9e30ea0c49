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

// Message box icons by `kind`.
constexpr std::array<TTaskDialogIcon, 5> KindIcons{tdiWarning, tdiError, tdiInformation,
                                                   tdiConfirmation, tdiCustom};

constexpr const char* NoOwnerText = "the decision dialog has no owner";
constexpr const char* SecondOwnerText = "the decision dialog has an owner already";

// The owner that exists, if any (not owning: each owner registers and removes itself).
TDecisionDialogOwner* TheOwner = nullptr;

} // namespace

TDecisionDialogOwner::TDecisionDialogOwner() {
    if (TheOwner != nullptr) {
        throw Exception(SecondOwnerText);
    }
    TheOwner = this;
}

TDecisionDialogOwner::~TDecisionDialogOwner() {
    FDialog.reset();
    TheOwner = nullptr;
}

TKorvexPlimmDecisionDialog& TDecisionDialogOwner::EnsureDialog(TDecisionVerdictEvent onVerdict) {
    if (!FDialog) {
        FDialog = std::make_unique<TKorvexPlimmDecisionDialog>();
        FDialog->SetOnVerdict(std::move(onVerdict));
    }
    return *FDialog;
}

TKorvexPlimmDecisionDialog* DecisionDialog() {
    return TheOwner != nullptr ? TheOwner->Dialog() : nullptr;
}

namespace {

// Runs `show` on the decision dialog, created on first use; an error goes to the event log.
template <class Show>
bool WithDecisionDialog(TDecisionVerdictEvent onVerdict, Show&& show) {
    try {
        if (TheOwner == nullptr) {
            throw Exception(NoOwnerText);
        }
        show(TheOwner->EnsureDialog(std::move(onVerdict)));
    } catch (...) {
        ReportDialogError(DecisionDialogName, CurrentExceptionText());
    }
    return true;
}

} // namespace

bool ShowPlimmDecisions(decisions::TDecisionList* list, TDecisionVerdictEvent onVerdict) {
    return WithDecisionDialog(std::move(onVerdict), [list](TKorvexPlimmDecisionDialog& dialog) {
        dialog.ShowDecisions(list);
    });
}

bool BringUpPlimmDecisions(decisions::TDecisionList* list, TDecisionVerdictEvent onVerdict) {
    return WithDecisionDialog(std::move(onVerdict), [list](TKorvexPlimmDecisionDialog& dialog) {
        dialog.BringUpDecisions(list);
    });
}

bool RefreshPlimmDecisions() {
    TKorvexPlimmDecisionDialog* dialog = DecisionDialog();
    if (dialog == nullptr) {
        return false;
    }
    try {
        dialog->RefreshDialog();
        return true;
    } catch (...) {
        return false;
    }
}

void ReportDialogError(const std::string& dialogName, const std::string& message) {
    try {
        win::WriteEventLog(win::EVENTLOG_ERROR_TYPE, EventCategory, product::ProductEventSource,
                           {dialogName, message});
    } catch (...) {
        // The event log is the last place an error can go.
    }
}

int KorvexMessageDlg(const std::string& msg, std::uint8_t kind, TCommonButtons buttons,
                     std::int32_t helpContext, TCommonButton defaultButton) {
    TKorvexDialog dialog(decisions::GenericDialog);
    dialog.SetContent(DialogText(msg).split(QRegularExpression(QStringLiteral("\r\n|\r|\n"))));
    dialog.MainIcon = kind < KindIcons.size() ? KindIcons[kind] : tdiNone;
    dialog.ButtonBar.Buttons = {};
    for (int button = cbYes; button <= cbHelp; ++button) {
        if (buttons.Contains(static_cast<TCommonButton>(button))) {
            dialog.ButtonBar.Buttons.Include(static_cast<TCommonButton>(button));
        }
    }
    if (dialog.ButtonBar.UseDefault) {
        dialog.ButtonBar.Default = defaultButton;
    }
    if (dialog.ButtonBar.UseCancel) {
        dialog.ButtonBar.Cancel = buttons.Contains(cbCancel) ? cbCancel
                                  : buttons.Contains(cbNo)   ? cbNo
                                                             : cbOK;
    }
    dialog.HelpContext = helpContext;
    return dialog.Execute();
}

} // namespace vx::dialogs
