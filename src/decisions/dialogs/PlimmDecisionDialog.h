#pragma once

#include "decisions/DecisionList.h"
#include "decisions/dialogs/KorvexDialog.h"

#include <functional>

namespace vx::dialogs {

// Applies the user's verdict on the decision at `index` of the shown list (the tray window
// sends it to the monitor and removes the decision).
using TDecisionVerdictEvent = std::function<void(int index, bool allow)>;

// The decision dialog: one modeless window for all pending decisions, one shown at a time
// with its position, paged with Previous and Next, answered with Allow or Deny.
//
// Decision texts are data: they show exactly as the monitor sent them, whatever markup,
// control characters or invalid bytes they hold.
class TKorvexPlimmDecisionDialog : public TKorvexDialog {
public:
    // Modal results of the custom buttons.
    static constexpr int mrPrevious = 661;
    static constexpr int mrNext = 662;
    static constexpr int mrAllow = 663;
    static constexpr int mrDeny = 664;
    // Content lines the dialog fills.
    static constexpr int ContentLineCount = 11;
    static constexpr int LineItem = 2;
    static constexpr int LineIdentifiedAs = 3;
    static constexpr int LineThreatLevel = 4;
    static constexpr int LineChange = 6;
    static constexpr int LineOldData = 7;
    static constexpr int LineNewData = 8;
    static constexpr int LineTimestamp = 10;

    TKorvexPlimmDecisionDialog();

    // Shows `list` (not owned) from its first decision; an empty or missing list only becomes
    // the dialog's list.
    void ShowDecisions(decisions::TDecisionList* list);
    // Fills the content for the decision at `index`. Any error shows in the content instead.
    void ShowDecision(int index);
    void ShowCurrent();
    void RefreshDialog();
    void UpdateNavigation();
    // Applies the verdict to the shown decision; true when the dialog stays open.
    bool DecideCurrent(bool allow);
    // The dialog's OnControlClick.
    void ControlClick(taskdialog::TJSDialog& sender, taskdialog::TJSControlType controlType,
                      QAbstractButton* control, int value, bool& handled);

    void SetOnVerdict(TDecisionVerdictEvent onVerdict) { FOnVerdict = std::move(onVerdict); }
    decisions::TDecisionList* Decisions() const { return FDecisions; }
    int Index() const { return FIndex; }
    const taskdialog::TJSCustomButton& PreviousButton() const { return *FPreviousButton; }
    const taskdialog::TJSCustomButton& NextButton() const { return *FNextButton; }

private:
    // Sets the given content lines in one change.
    void SetLines(std::initializer_list<std::pair<int, QString>> lines);
    void FillDecision(int index);

    decisions::TDecisionList* FDecisions = nullptr;
    int FIndex = 0;
    taskdialog::TJSCustomButton* FNextButton = nullptr;
    taskdialog::TJSCustomButton* FPreviousButton = nullptr;
    TDecisionVerdictEvent FOnVerdict;
};

} // namespace vx::dialogs
