#pragma once

#include "decisions/DecisionList.h"
#include "decisions/dialogs/KorvexDialog.h"

#include <functional>
#include <memory>

namespace vx::dialogs {

// Applies the user's verdict on the decision at `index` of the shown list (the tray window
// sends it to the monitor and removes the decision).
using TDecisionVerdictEvent = std::function<void(int index, bool allow)>;

// The decision dialog: one modeless window for all pending decisions, one shown at a time
// with its position, paged with Previous and Next, answered with Allow or Deny.
//
// It is answered only on purpose. A notification never takes the keyboard (the window shows
// or comes to the front without activating, and asks for attention), and while the window is
// shown it keeps showing the same decision, by identity, whatever arrives or goes. Allow and
// Deny take no focus and ignore input for a second after the window is shown, after it
// becomes active and after it starts showing another decision. Keys: Alt+A Allow, Alt+D Deny,
// Alt+Left or Page Up Previous, Alt+Right or Page Down Next.
//
// Decision texts are data: they show exactly as the monitor sent them, whatever markup,
// control characters or invalid bytes they hold; a long value shows at most three rows,
// shortened in the middle, and whole in its tooltip and in the Ctrl+C copy.
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
    // How long Allow and Deny ignore input, in milliseconds.
    static constexpr int AnswerDelay = 1000;
    // The rows a decision's value may take.
    static constexpr int ValueRows = 3;

    TKorvexPlimmDecisionDialog();

    // A notification: `list` (not owned) changed. A hidden dialog shows from the first
    // decision; a shown one goes on showing the decision it shows (or, when that one is gone,
    // the one now at its position) and updates the position text and the navigation. Neither
    // takes the keyboard from where the user is. An empty or missing list only becomes the
    // dialog's list.
    void ShowDecisions(decisions::TDecisionList* list);
    // The user asked to see the decisions: shows `list` from its first decision and takes the
    // keyboard, as any window the user brings up.
    void BringUpDecisions(decisions::TDecisionList* list);
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
    // The content lines of `decision`, values fitted to the window's width.
    void FillContent(const decisions::TDecision& decision);

    decisions::TDecisionList* FDecisions = nullptr;
    // The decision the content shows, and the text width it was fitted to.
    std::shared_ptr<decisions::TDecision> FShown;
    int FShownWidth = 0;
    int FIndex = 0;
    taskdialog::TJSCustomButton* FNextButton = nullptr;
    taskdialog::TJSCustomButton* FPreviousButton = nullptr;
    TDecisionVerdictEvent FOnVerdict;
};

} // namespace vx::dialogs
