#include "decisions/dialogs/PlimmDecisionDialog.h"

#include "decisions/DecisionTypes.h"
#include "decisions/DialogTextData.h"
#include "decisions/dialogs/DecisionTimeText.h"
#include "decisions/dialogs/DialogText.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "taskdialog/JSMarkup.h"

#include <algorithm>
#include <exception>

namespace vx::dialogs {

using namespace taskdialog;
namespace {

constexpr const char* DialogName = "AskPlimmDecisions";
constexpr int HelpTopic = 746;
constexpr const char* IntroductionText =
    "The system monitor of Korvex - Thornet 2 reports this change:";
constexpr const char* NotAvailable = "n/a";
constexpr const char* AllowCaption = "Allow";
constexpr const char* DenyCaption = "Deny";
constexpr const char* FooterText =
    "Did you know that there are two modes available?\r\nIn <i>paranoid mode</i>, Korvex - "
    "Thornet works as an Intrusion Prevention System, informing you about many important "
    "system changes. In <i>standard mode</i>, it informs you about malicious system changes "
    "only.";
constexpr const char* FillErrorText = "An unexpected error occured while filling this dialog:";
constexpr const char* NoListText = "No list of decisions";

constexpr const char* KeyInstruction = "Instruction";
constexpr const char* KeyItem = "Item";
constexpr const char* KeyIdentifiedAs = "IdentifiedAs";
constexpr const char* KeyThreatLevel = "ThreatLevel";
constexpr const char* KeyChange = "Change";
constexpr const char* KeyOldData = "OldData";
constexpr const char* KeyNewData = "NewData";
constexpr const char* KeyTimestampText = "TimestampText";
constexpr const char* KeyPrevious = "Previous";
constexpr const char* KeyNext = "Next";

} // namespace

TKorvexPlimmDecisionDialog::TKorvexPlimmDecisionDialog()
    : TKorvexDialog(decisions::PlimmDecisionsDialog) {
    OnControlClick = [this](TJSDialog& sender, TJSControlType controlType, QAbstractButton* control,
                            int value, bool& handled) {
        ControlClick(sender, controlType, control, value, handled);
    };
    MainIcon = tdiConfirmation;
    HelpContext = HelpTopic;
    HelpKeyword = QString::fromLatin1(DialogName);
    DialogOptions = {};
    ButtonBar.Buttons = {cbIgnore, cbHelp};

    const QString unknown = QString::fromLatin1(NotAvailable);
    QStringList lines(ContentLineCount);
    lines[0] = QString::fromUtf8(IntroductionText);
    lines[LineItem] = GetText(KeyItem) + unknown;
    lines[LineIdentifiedAs] = GetText(KeyIdentifiedAs) + unknown;
    lines[LineThreatLevel] = GetText(KeyThreatLevel) + unknown;
    lines[LineChange] = GetText(KeyChange) + unknown;
    lines[LineOldData] = GetText(KeyOldData) + unknown;
    lines[LineNewData] = GetText(KeyNewData) + unknown;
    SetContent(lines);

    Footer.Visible = true;
    Footer.Text = QString::fromUtf8(FooterText);
    ShowVerificationCheck(true);

    const auto addButton = [this](const QString& caption, int result) -> TJSCustomButton& {
        TJSCustomButton& button = CustomButtons.Add();
        button.Caption = caption;
        button.ModalResult = result;
        return button;
    };
    FPreviousButton = &addButton(GetText(KeyPrevious), mrPrevious);
    FNextButton = &addButton(GetText(KeyNext), mrNext);
    addButton(QString::fromLatin1(AllowCaption), mrAllow);
    addButton(QString::fromLatin1(DenyCaption), mrDeny);
}

void TKorvexPlimmDecisionDialog::ShowDecisions(decisions::TDecisionList* list) {
    FDecisions = list;
    if (list != nullptr && list->Count() > 0) {
        FIndex = 0;
        Execute();
        ShowCurrent();
    }
}

void TKorvexPlimmDecisionDialog::SetLines(std::initializer_list<std::pair<int, QString>> lines) {
    QStringList changed = Content();
    while (changed.size() < ContentLineCount) {
        changed << QString();
    }
    for (const auto& [line, text] : lines) {
        changed[line] = text;
    }
    SetContent(changed);
}

void TKorvexPlimmDecisionDialog::FillDecision(int index) {
    if (FDecisions == nullptr) {
        throw EJSDialogError(NoListText);
    }
    const auto decision = FDecisions->Items(index);
    if (decision->DecisionType == decisions::dtFileScannerInformation) {
        SetLines(
            {{LineItem, GetText(KeyItem) + DialogValue(decision->Item)},
             {LineIdentifiedAs, GetText(KeyIdentifiedAs) + DialogValue(decision->IdentifiedAs)},
             {LineThreatLevel, GetText(KeyThreatLevel) + QString::number(decision->ThreatLevel)},
             {LineChange, {}},
             {LineOldData, {}},
             {LineNewData, {}}});
    } else {
        const char* change = decisions::LogClassNames.at(decision->LogClass);
        SetLines(
            {{LineItem, GetText(KeyItem) + DialogValue(decision->Item)},
             {LineIdentifiedAs, GetText(KeyIdentifiedAs) + DialogValue(decision->IdentifiedAs)},
             {LineThreatLevel, GetText(KeyThreatLevel) + QString::number(decision->ThreatLevel)},
             {LineChange, GetText(KeyChange) + DialogValue(change)},
             {LineOldData, GetText(KeyOldData) + DialogValue(decision->OldData)},
             {LineNewData, GetText(KeyNewData) + DialogValue(decision->NewData)}});
    }
    SetInstructionText(
        DialogText(Format(GetTextBytes(KeyInstruction), index + 1, FDecisions->Count())));
    // The time text is data inside the catalogue's markup.
    const QString time = EscapeMarkup(DialogText(DecisionTimeText(decision->Timestamp())));
    SetLines(
        {{LineTimestamp, DialogText(Format(GetTextBytes(KeyTimestampText), time.toStdString()))}});
    UpdateNavigation();
}

void TKorvexPlimmDecisionDialog::ShowDecision(int index) {
    QString message;
    try {
        FillDecision(index);
        return;
    } catch (...) {
        message = DialogValue(CurrentExceptionText());
    }
    SetLines({{LineItem, QString::fromLatin1(FillErrorText)},
              {LineIdentifiedAs, {}},
              {LineThreatLevel, message},
              {LineChange, {}},
              {LineOldData, {}},
              {LineNewData, {}}});
}

void TKorvexPlimmDecisionDialog::ShowCurrent() {
    ShowDecision(FIndex);
}

void TKorvexPlimmDecisionDialog::RefreshDialog() {
    ShowCurrent();
    UpdateNavigation();
}

void TKorvexPlimmDecisionDialog::UpdateNavigation() {
    const int count = FDecisions != nullptr ? FDecisions->Count() : 0;
    FNextButton->SetEnabled(FIndex < count - 1);
    FPreviousButton->SetEnabled(FIndex > 0);
}

bool TKorvexPlimmDecisionDialog::DecideCurrent(bool allow) {
    if (FDecisions == nullptr) {
        return false;
    }
    const int before = FDecisions->Count();
    if (FOnVerdict) {
        FOnVerdict(FIndex, allow);
    } else {
        const auto decision = FDecisions->Items(FIndex);
        FDecisions->Remove(*decision);
    }
    const int count = FDecisions->Count();
    if (count == 0) {
        return before > 1;
    }
    if (FIndex >= count - 1 && FIndex > 0) {
        --FIndex;
    }
    ShowCurrent();
    return before > 1;
}

void TKorvexPlimmDecisionDialog::ControlClick(TJSDialog&, TJSControlType, QAbstractButton*, int,
                                              bool& handled) {
    const int count = FDecisions != nullptr ? FDecisions->Count() : 0;
    try {
        switch (ModalResult()) {
        case mrPrevious:
            if (FIndex > 0) {
                --FIndex;
                ShowCurrent();
            }
            handled = true;
            break;
        case mrNext:
            if (FIndex < count - 1) {
                ++FIndex;
                ShowCurrent();
            }
            handled = true;
            break;
        case mrAllow:
        case mrDeny:
            handled = DecideCurrent(ModalResult() == mrAllow);
            break;
        default:
            break;
        }
    } catch (const std::exception& error) {
        // A verdict that failed on the way: logged, the dialog stays and shows what is left.
        ReportDialogError(DialogName, error.what());
        const int left = FDecisions != nullptr ? FDecisions->Count() : 0;
        FIndex = std::max(0, std::min(FIndex, left - 1));
        RefreshDialog();
        handled = true;
    }
}

} // namespace vx::dialogs
