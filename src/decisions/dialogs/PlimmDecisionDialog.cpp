#include "decisions/dialogs/PlimmDecisionDialog.h"

#include "decisions/DecisionTypes.h"
#include "decisions/DialogTextData.h"
#include "decisions/dialogs/DecisionTimeText.h"
#include "decisions/dialogs/DialogText.h"
#include "decisions/dialogs/ElidedText.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "platform/Exception.h"
#include "platform/Format.h"
#include "taskdialog/JSMarkup.h"
#include "taskdialog/JSWidgets.h"

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

// The keys of the buttons; captions carry no accelerator marks.
const QList<QKeySequence> PreviousKeys{QKeySequence(Qt::ALT | Qt::Key_Left),
                                       QKeySequence(Qt::Key_PageUp)};
const QList<QKeySequence> NextKeys{QKeySequence(Qt::ALT | Qt::Key_Right),
                                   QKeySequence(Qt::Key_PageDown)};
const QList<QKeySequence> AllowKeys{QKeySequence(Qt::ALT | Qt::Key_A)};
const QList<QKeySequence> DenyKeys{QKeySequence(Qt::ALT | Qt::Key_D)};

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
    InputDelay = AnswerDelay;

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

    const auto addButton = [this](const QString& caption, int result,
                                  const QList<QKeySequence>& keys,
                                  bool guarded) -> TJSCustomButton& {
        TJSCustomButton& button = CustomButtons.Add();
        button.Caption = caption;
        button.ModalResult = result;
        button.Shortcuts = keys;
        button.Guarded = guarded;
        return button;
    };
    FPreviousButton = &addButton(GetText(KeyPrevious), mrPrevious, PreviousKeys, false);
    FNextButton = &addButton(GetText(KeyNext), mrNext, NextKeys, false);
    addButton(QString::fromLatin1(AllowCaption), mrAllow, AllowKeys, true);
    addButton(QString::fromLatin1(DenyCaption), mrDeny, DenyKeys, true);
}

void TKorvexPlimmDecisionDialog::ShowDecisions(decisions::TDecisionList* list) {
    FDecisions = list;
    if (list == nullptr || list->Count() == 0) {
        return;
    }
    if (Form() == nullptr || !Form()->isVisible()) {
        FIndex = 0;
    } else if (const int at = FShown ? list->IndexOf(*FShown) : -1; at >= 0) {
        FIndex = at;
    } else {
        FIndex = std::clamp(FIndex, 0, list->Count() - 1);
    }
    ShowWithoutActivating();
    ShowCurrent();
}

void TKorvexPlimmDecisionDialog::BringUpDecisions(decisions::TDecisionList* list) {
    FDecisions = list;
    if (list == nullptr || list->Count() == 0) {
        return;
    }
    FIndex = 0;
    Execute();
    ShowCurrent();
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

void TKorvexPlimmDecisionDialog::FillContent(const decisions::TDecision& decision) {
    QStringList lines = Content();
    while (lines.size() < ContentLineCount) {
        lines << QString();
    }
    QStringList whole(ContentLineCount);
    const TJSTextView* view = Form() != nullptr ? Form()->ContentView() : nullptr;
    const int width = view != nullptr ? view->width() : 0;
    // A value takes at most ValueRows rows behind its label; the line's whole text then goes
    // to its tooltip and to the copy.
    const auto setValue = [&](int line, const char* key, const QString& value) {
        const QString label = GetText(key);
        QString shown = value;
        if (view != nullptr && width > 0) {
            QFont labelFont = view->font();
            labelFont.setBold(true);
            shown = ElideToRows(MarkupToPlainText(label), labelFont, value, view->font(), width,
                                ValueRows);
        }
        lines[line] = label + EscapeMarkup(shown);
        if (shown != value) {
            whole[line] = MarkupToPlainText(label) + value;
        }
    };
    setValue(LineItem, KeyItem, DialogValueText(decision.Item));
    setValue(LineIdentifiedAs, KeyIdentifiedAs, DialogValueText(decision.IdentifiedAs));
    lines[LineThreatLevel] = GetText(KeyThreatLevel) + QString::number(decision.ThreatLevel);
    if (decision.DecisionType == decisions::dtFileScannerInformation) {
        lines[LineChange].clear();
        lines[LineOldData].clear();
        lines[LineNewData].clear();
    } else {
        const char* change = decisions::LogClassNames.at(decision.LogClass);
        lines[LineChange] = GetText(KeyChange) + DialogValue(change);
        setValue(LineOldData, KeyOldData, DialogValueText(decision.OldData));
        setValue(LineNewData, KeyNewData, DialogValueText(decision.NewData));
    }
    // The time text is data inside the catalogue's markup.
    const QString time = EscapeMarkup(DialogText(DecisionTimeText(decision.Timestamp())));
    lines[LineTimestamp] = DialogText(Format(GetTextBytes(KeyTimestampText), time.toStdString()));
    SetContent(lines, whole);
    FShownWidth = width;
}

void TKorvexPlimmDecisionDialog::FillDecision(int index) {
    if (FDecisions == nullptr) {
        throw EJSDialogError(NoListText);
    }
    const auto decision = FDecisions->Items(index);
    SetInstructionText(
        DialogText(Format(GetTextBytes(KeyInstruction), index + 1, FDecisions->Count())));
    // A decision's fields never change: the same decision at the same width keeps its
    // content, so a notification that only moves the position costs no new layout.
    const bool another = decision != FShown;
    const TJSTextView* view = Form() != nullptr ? Form()->ContentView() : nullptr;
    if (another || view == nullptr || view->width() != FShownWidth) {
        FillContent(*decision);
    }
    FShown = decision;
    UpdateNavigation();
    if (another) {
        RestartInputDelay(); // what was aimed at the last decision must not answer this one
    }
}

void TKorvexPlimmDecisionDialog::ShowDecision(int index) {
    QString message;
    try {
        FillDecision(index);
        return;
    } catch (...) {
        message = DialogValue(CurrentExceptionText());
    }
    FShown.reset();
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
