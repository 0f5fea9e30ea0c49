#pragma once

#include "KorvexFixture.h"
#include "decisions/DecisionList.h"
#include "support/TestPeer.h"
#include "taskdialog/JSWidgets.h"
#include "taskdialog/TaskDialogTestSupport.h"

#include <string>
#include <utility>
#include <vector>

#include <QPushButton>

namespace vx::dialogs::test {

// The decision dialog against a list whose verdicts go to a recording monitor peer. The
// verdict handler does what the tray window's does: it applies the verdict through the list.
class TDecisionFixture : public TKorvexFixture {
protected:
    // A decision from key=value lines.
    std::shared_ptr<decisions::TDecision> Add(const decisions::TStrings& lines) {
        return FList.Add(lines);
    }
    // Adds `count` decisions with the items "item0", "item1", ...
    void AddItems(int count) {
        for (int i = 0; i < count; ++i) {
            Add({"item=item" + std::to_string(i), "decisiontype=decision", "logclass=changed"});
        }
    }

    // Shows the list as the tray window does on a notification. The dialog is made with
    // FInputDelay, so that cases about other things need not wait out the second.
    void Notify(bool withHandler = true) {
        decisions::TDecisionList* list = &FList;
        const TDecisionVerdictEvent handler =
            withHandler ? TDecisionVerdictEvent([this, list](int index, bool allow) {
                FVerdicts.emplace_back(index, allow);
                list->ApplyVerdict(index, allow);
            })
                        : TDecisionVerdictEvent();
        if (DecisionDialog() == nullptr) {
            FDialogOwner.EnsureDialog(handler).InputDelay = FInputDelay;
        }
        ShowPlimmDecisions(list, handler);
        RefreshPlimmDecisions();
    }

    TKorvexPlimmDecisionDialog& Dialog() { return *DecisionDialog(); }
    taskdialog::TJSTaskDialogForm& Form() { return *DecisionDialog()->Form(); }
    bool Shown() { return DecisionDialog() != nullptr && Form().isVisible(); }
    QPushButton* Previous() { return Form().CustomButton(0); }
    QPushButton* Next() { return Form().CustomButton(1); }
    QPushButton* Allow() { return Form().CustomButton(2); }
    QPushButton* Deny() { return Form().CustomButton(3); }
    QPushButton* Ignore() { return Form().CommonButton(taskdialog::cbIgnore); }

    QString Instruction() { return Form().InstructionView()->toPlainText(); }
    // The content as shown, line by line.
    QStringList Lines() { return taskdialog::test::PlainLines(*Form().ContentView()->document()); }
    QString Line(int index) { return Lines().value(index); }

    ::vx::test::TTestPeer FMonitor{::vx::test::TTestPeer::Reply(200, "1")};
    decisions::TDecisionList FList{FMonitor.Port()};
    std::vector<std::pair<int, bool>> FVerdicts;
    int FInputDelay = 0;
};

} // namespace vx::dialogs::test
