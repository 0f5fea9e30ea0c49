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
    OnControlClick = [this](TJSDialog& Sender, TJSControlType ControlType, QAbstractButton* Control,
                            int Value, bool& Handled) {
        ControlClick(Sender, ControlType, Control, Value, Handled);
    };
    MainIcon = tdiConfirmation;
    HelpContext = HelpTopic;
    HelpKeyword = QString::fromLatin1(DialogName);
    DialogOptions = {};
    ButtonBar.Buttons = {cbIgnore, cbHelp};

    const QString Unknown = QString::fromLatin1(NotAvailable);
    QStringList Lines(ContentLineCount);
    Lines[0] = QString::fromUtf8(IntroductionText);
    Lines[LineItem] = GetText(KeyItem) + Unknown;
    Lines[LineIdentifiedAs] = GetText(KeyIdentifiedAs) + Unknown;
    Lines[LineThreatLevel] = GetText(KeyThreatLevel) + Unknown;
    Lines[LineChange] = GetText(KeyChange) + Unknown;
    Lines[LineOldData] = GetText(KeyOldData) + Unknown;
    Lines[LineNewData] = GetText(KeyNewData) + Unknown;
    SetContent(Lines);

    Footer.Visible = true;
    Footer.Text = QString::fromUtf8(FooterText);
    ShowVerificationCheck(true);

    const auto AddButton = [this](const QString& Caption, int Result) -> TJSCustomButton& {
        TJSCustomButton& Button = CustomButtons.Add();
        Button.Caption = Caption;
        Button.ModalResult = Result;
        return Button;
    };
    FPreviousButton = &AddButton(GetText(KeyPrevious), mrPrevious);
    FNextButton = &AddButton(GetText(KeyNext), mrNext);
    AddButton(QString::fromLatin1(AllowCaption), mrAllow);
    AddButton(QString::fromLatin1(DenyCaption), mrDeny);
}

void TKorvexPlimmDecisionDialog::ShowDecisions(decisions::TDecisionList* List) {
    FDecisions = List;
    if (List != nullptr && List->Count() > 0) {
        FIndex = 0;
        Execute();
        ShowCurrent();
    }
}

void TKorvexPlimmDecisionDialog::SetLines(std::initializer_list<std::pair<int, QString>> Lines) {
    QStringList Changed = Content();
    while (Changed.size() < ContentLineCount) {
        Changed << QString();
    }
    for (const auto& [Line, Text] : Lines) {
        Changed[Line] = Text;
    }
    SetContent(Changed);
}

void TKorvexPlimmDecisionDialog::FillDecision(int Index) {
    if (FDecisions == nullptr) {
        throw EJSDialogError(NoListText);
    }
    const auto Decision = FDecisions->Items(Index);
    if (Decision->DecisionType == decisions::dtFileScannerInformation) {
        SetLines(
            {{LineItem, GetText(KeyItem) + DialogValue(Decision->Item)},
             {LineIdentifiedAs, GetText(KeyIdentifiedAs) + DialogValue(Decision->IdentifiedAs)},
             {LineThreatLevel, GetText(KeyThreatLevel) + QString::number(Decision->ThreatLevel)},
             {LineChange, {}},
             {LineOldData, {}},
             {LineNewData, {}}});
    } else {
        const char* Change = decisions::LogClassNames.at(Decision->LogClass);
        SetLines(
            {{LineItem, GetText(KeyItem) + DialogValue(Decision->Item)},
             {LineIdentifiedAs, GetText(KeyIdentifiedAs) + DialogValue(Decision->IdentifiedAs)},
             {LineThreatLevel, GetText(KeyThreatLevel) + QString::number(Decision->ThreatLevel)},
             {LineChange, GetText(KeyChange) + DialogValue(Change)},
             {LineOldData, GetText(KeyOldData) + DialogValue(Decision->OldData)},
             {LineNewData, GetText(KeyNewData) + DialogValue(Decision->NewData)}});
    }
    SetInstructionText(
        DialogText(Format(GetTextBytes(KeyInstruction), Index + 1, FDecisions->Count())));
    // The time text is data inside the catalogue's markup.
    const QString Time = EscapeMarkup(DialogText(DecisionTimeText(Decision->Timestamp())));
    SetLines(
        {{LineTimestamp, DialogText(Format(GetTextBytes(KeyTimestampText), Time.toStdString()))}});
    UpdateNavigation();
}

void TKorvexPlimmDecisionDialog::ShowDecision(int Index) {
    QString Message;
    try {
        FillDecision(Index);
        return;
    } catch (...) {
        Message = DialogValue(CurrentExceptionText());
    }
    SetLines({{LineItem, QString::fromLatin1(FillErrorText)},
              {LineIdentifiedAs, {}},
              {LineThreatLevel, Message},
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
    const int Count = FDecisions != nullptr ? FDecisions->Count() : 0;
    FNextButton->SetEnabled(FIndex < Count - 1);
    FPreviousButton->SetEnabled(FIndex > 0);
}

bool TKorvexPlimmDecisionDialog::DecideCurrent(bool Allow) {
    if (FDecisions == nullptr) {
        return false;
    }
    const int Before = FDecisions->Count();
    if (FOnVerdict) {
        FOnVerdict(FIndex, Allow);
    } else {
        const auto Decision = FDecisions->Items(FIndex);
        FDecisions->Remove(*Decision);
    }
    const int Count = FDecisions->Count();
    if (Count == 0) {
        return Before > 1;
    }
    if (FIndex >= Count - 1 && FIndex > 0) {
        --FIndex;
    }
    ShowCurrent();
    return Before > 1;
}

void TKorvexPlimmDecisionDialog::ControlClick(TJSDialog&, TJSControlType, QAbstractButton*, int,
                                              bool& Handled) {
    const int Count = FDecisions != nullptr ? FDecisions->Count() : 0;
    try {
        switch (ModalResult()) {
        case mrPrevious:
            if (FIndex > 0) {
                --FIndex;
                ShowCurrent();
            }
            Handled = true;
            break;
        case mrNext:
            if (FIndex < Count - 1) {
                ++FIndex;
                ShowCurrent();
            }
            Handled = true;
            break;
        case mrAllow:
        case mrDeny:
            Handled = DecideCurrent(ModalResult() == mrAllow);
            break;
        default:
            break;
        }
    } catch (const std::exception& Error) {
        // A verdict that failed on the way: logged, the dialog stays and shows what is left.
        ReportDialogError(DialogName, Error.what());
        const int Left = FDecisions != nullptr ? FDecisions->Count() : 0;
        FIndex = std::max(0, std::min(FIndex, Left - 1));
        RefreshDialog();
        Handled = true;
    }
}

} // namespace vx::dialogs
