#include "DecisionFixture.h"
#include "decisions/dialogs/DecisionTimeText.h"

#include <QCheckBox>
#include <gtest/gtest.h>

namespace vx::dialogs {
namespace {

using namespace taskdialog;

using taskdialog::test::Click;
using PlimmDecisionDialog = test::TDecisionFixture;

TEST_F(PlimmDecisionDialog, AtConstruction) {
    const TKorvexPlimmDecisionDialog fresh;
    const QStringList expected{
        QStringLiteral("The system monitor of Korvex - Thornet 2 reports this change:"),
        QString(),
        QStringLiteral("<b>Item:</b> n/a"),
        QStringLiteral("<b>Identified as:</b> n/a"),
        QStringLiteral("<b>Threat Level:</b> n/a"),
        QString(),
        QStringLiteral("<b>Change:</b> n/a"),
        QStringLiteral("<b>Old data:</b> n/a"),
        QStringLiteral("<b>New data:</b> n/a"),
        QString(),
        QString(),
    };
    EXPECT_EQ(fresh.Content(), expected);
    EXPECT_EQ(fresh.MainIcon, tdiConfirmation);
    EXPECT_EQ(fresh.HelpContext, 746);
    EXPECT_EQ(fresh.HelpKeyword, QStringLiteral("AskPlimmDecisions"));
    EXPECT_TRUE(fresh.DialogOptions.Empty());
    EXPECT_TRUE(fresh.ButtonBar.Buttons == (TCommonButtons{cbIgnore, cbHelp}));
    EXPECT_TRUE(fresh.Footer.Visible);
    EXPECT_EQ(fresh.Footer.Text,
              QStringLiteral("Did you know that there are two modes available?\r\nIn <i>paranoid "
                             "mode</i>, Korvex - Thornet works as an Intrusion Prevention System, "
                             "informing you about many important system changes. In <i>standard "
                             "mode</i>, it informs you about malicious system changes only."));
    EXPECT_TRUE(fresh.Verification.Visible && fresh.Verification.InitialState);
    ASSERT_EQ(fresh.CustomButtons.Count(), 4);
    const std::pair<const char*, int> buttons[] = {
        {"< Previous", 661}, {"Next >", 662}, {"Allow", 663}, {"Deny", 664}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(fresh.CustomButtons.Items(i).Caption, QString::fromLatin1(buttons[i].first));
        EXPECT_EQ(fresh.CustomButtons.Items(i).ModalResult, buttons[i].second);
    }
    EXPECT_EQ(&fresh.PreviousButton(), &fresh.CustomButtons.Items(0));
    EXPECT_EQ(&fresh.NextButton(), &fresh.CustomButtons.Items(1));
}

TEST_F(PlimmDecisionDialog, OneDecisionAllowSendsTheVerdictAndCloses) {
    Add({"item=C:\\evil.exe", "identifiedas=Trojan.X", "threatlevel=3", "decisiontype=decision",
         "logclass=added", "olddata=", "newdata=run"});
    Notify();
    ASSERT_TRUE(Shown());
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/1)!")));
    EXPECT_FALSE(Previous()->isEnabled());
    EXPECT_FALSE(Next()->isEnabled());
    EXPECT_EQ(Line(2), QStringLiteral("Item: C:\\evil.exe"));
    EXPECT_EQ(Line(3), QStringLiteral("Identified as: Trojan.X"));
    EXPECT_EQ(Line(4), QStringLiteral("Threat Level: 3"));
    EXPECT_EQ(Line(6), QStringLiteral("Change: added"));
    EXPECT_EQ(Line(7), QStringLiteral("Old data: "));
    EXPECT_EQ(Line(8), QStringLiteral("New data: run"));

    Click(Allow());
    EXPECT_EQ(FVerdicts, (std::vector<std::pair<int, bool>>{{0, true}}));
    ASSERT_EQ(FMonitor.Requests().size(), 1u);
    EXPECT_NE(FMonitor.Requests()[0].find("GET /applydecision?decisionid=0&decision=allow "),
              std::string::npos);
    EXPECT_EQ(FList.Count(), 0);
    EXPECT_FALSE(Shown());
}

TEST_F(PlimmDecisionDialog, DenyInTheMiddleMovesBackAndStays) {
    AddItems(3);
    Notify();
    Click(Next());
    EXPECT_EQ(Dialog().Index(), 1);
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(2/3)!")));
    EXPECT_TRUE(Previous()->isEnabled());
    EXPECT_TRUE(Next()->isEnabled());
    EXPECT_EQ(Line(2), QStringLiteral("Item: item1"));

    Click(Deny());
    EXPECT_EQ(FVerdicts, (std::vector<std::pair<int, bool>>{{1, false}}));
    ASSERT_EQ(FMonitor.Requests().size(), 1u);
    EXPECT_NE(FMonitor.Requests()[0].find("decisionid=1&decision=deny"), std::string::npos);
    EXPECT_EQ(FList.Count(), 2);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(Dialog().Index(), 0);
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/2)!")));
    EXPECT_EQ(Line(2), QStringLiteral("Item: item0"));
    EXPECT_FALSE(Previous()->isEnabled());
    EXPECT_TRUE(Next()->isEnabled());

    // The daemon's notification of the lower count shows the first again.
    Notify();
    EXPECT_TRUE(Shown());
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/2)!")));
}

TEST_F(PlimmDecisionDialog, VerdictOnTheLastPositionMovesBack) {
    AddItems(3);
    Notify();
    Click(Next());
    Click(Next());
    Click(Allow());
    EXPECT_EQ(FVerdicts, (std::vector<std::pair<int, bool>>{{2, true}}));
    EXPECT_EQ(Dialog().Index(), 1);
    EXPECT_EQ(Line(2), QStringLiteral("Item: item1"));
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(2/2)!")));
    EXPECT_TRUE(Shown());
}

TEST_F(PlimmDecisionDialog, PagingStopsAtBothEnds) {
    AddItems(3);
    Notify();
    struct TCase {
        const char* Name;
        int Start;
        bool PressNext;
    };
    for (const TCase& testCase :
         {TCase{"Previous on the first", 0, false}, TCase{"Next on the last", 2, true}}) {
        SCOPED_TRACE(testCase.Name);
        while (Dialog().Index() < testCase.Start) {
            Click(Next());
        }
        const QStringList before = Lines();
        // A disabled button ignores the click; the handler changes nothing either.
        Click(testCase.PressNext ? Next() : Previous());
        Dialog().SetModalResult(testCase.PressNext ? TKorvexPlimmDecisionDialog::mrNext
                                                   : TKorvexPlimmDecisionDialog::mrPrevious);
        bool handled = false;
        Dialog().ControlClick(Dialog(), ctCustomButton, nullptr, 0, handled);
        EXPECT_TRUE(handled);
        EXPECT_EQ(Dialog().Index(), testCase.Start);
        EXPECT_EQ(Lines(), before);
        EXPECT_TRUE(Shown());
    }
    EXPECT_TRUE(FVerdicts.empty());
}

TEST_F(PlimmDecisionDialog, IgnoreClosesAndTheDecisionsStay) {
    AddItems(3);
    Notify();
    Click(Next());
    Click(Ignore());
    EXPECT_FALSE(Shown());
    EXPECT_EQ(FList.Count(), 3);
    EXPECT_EQ(Dialog().ModalResult(), 5);
    EXPECT_TRUE(FVerdicts.empty());

    // The next add shows the dialog again at the first decision.
    AddItems(1);
    Notify();
    ASSERT_TRUE(Shown());
    EXPECT_EQ(Dialog().Index(), 0);
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/4)!")));
}

TEST_F(PlimmDecisionDialog, CloseBoxOnlyHides) {
    AddItems(1);
    Notify();
    Form().close();
    EXPECT_FALSE(Shown());
    EXPECT_EQ(FList.Count(), 1);
}

TEST_F(PlimmDecisionDialog, LinesByDecisionType) {
    struct TCase {
        const char* Type;
        const char* Change;
        const char* OldData;
        const char* NewData;
    };
    const TCase cases[] = {
        {"information", "Change: deleted", "Old data: o", "New data: n"},
        {"decision", "Change: deleted", "Old data: o", "New data: n"},
        {"filescaninfo", "", "", ""},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Type);
        while (FList.Count() > 0) {
            FList.Delete(0);
        }
        Add({std::string("decisiontype=") + testCase.Type, "item=i", "identifiedas=a",
             "threatlevel=-1", "logclass=deleted", "olddata=o", "newdata=n"});
        Notify();
        EXPECT_EQ(Line(2), QStringLiteral("Item: i"));
        EXPECT_EQ(Line(3), QStringLiteral("Identified as: a"));
        EXPECT_EQ(Line(4), QStringLiteral("Threat Level: -1"));
        EXPECT_EQ(Line(6), QString::fromLatin1(testCase.Change));
        EXPECT_EQ(Line(7), QString::fromLatin1(testCase.OldData));
        EXPECT_EQ(Line(8), QString::fromLatin1(testCase.NewData));
        EXPECT_EQ(Lines().size(), 11);
    }
}

TEST_F(PlimmDecisionDialog, LabelsBoldValuesPlainTimestampLine) {
    const auto decision = Add({"item=x", "decisiontype=decision"});
    Notify();
    const QString shown = taskdialog::test::Describe(*Form().ContentView()->document());
    EXPECT_TRUE(shown.contains(QStringLiteral("{b}Item:{} x"))) << shown.toStdString();
    EXPECT_EQ(Line(10), QStringLiteral("This event was reported at %1.")
                            .arg(QString::fromStdString(DecisionTimeText(decision->Timestamp()))));
}

TEST_F(PlimmDecisionDialog, WithoutAVerdictHandlerAllowOnlyRemoves) {
    AddItems(2);
    Notify(false);
    Click(Allow());
    EXPECT_EQ(FList.Count(), 1);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(Line(2), QStringLiteral("Item: item1"));
    Click(Allow());
    EXPECT_EQ(FList.Count(), 0);
    EXPECT_FALSE(Shown());
    EXPECT_EQ(FMonitor.Connections(), 0);
}

TEST_F(PlimmDecisionDialog, OnlyTheFirstVerdictHandlerCounts) {
    AddItems(1);
    Notify(false); // creates the dialog without a handler
    Notify(true);  // a later handler is not used
    Click(Allow());
    EXPECT_TRUE(FVerdicts.empty());
    EXPECT_EQ(FList.Count(), 0);
}

TEST_F(PlimmDecisionDialog, EmptyOrMissingListShowsNothing) {
    Notify();
    ASSERT_NE(DecisionDialog(), nullptr);
    EXPECT_EQ(Dialog().Form(), nullptr);
    ShowPlimmDecisions(nullptr, {});
    EXPECT_EQ(Dialog().Form(), nullptr);
    EXPECT_EQ(Dialog().Decisions(), nullptr);
}

TEST_F(PlimmDecisionDialog, RefreshFollowsTheList) {
    EXPECT_FALSE(RefreshPlimmDecisions());
    AddItems(2);
    Notify();
    EXPECT_TRUE(Next()->isEnabled());
    FList.Delete(1);
    EXPECT_TRUE(RefreshPlimmDecisions());
    EXPECT_TRUE(Instruction().endsWith(QStringLiteral("(1/1)!")));
    EXPECT_FALSE(Next()->isEnabled());
}

TEST_F(PlimmDecisionDialog, ListEmptiedElsewhereShowsTheErrorLines) {
    AddItems(1);
    Notify();
    FList.Delete(0);
    EXPECT_TRUE(RefreshPlimmDecisions());
    EXPECT_EQ(Line(2), QStringLiteral("An unexpected error occured while filling this dialog:"));
    EXPECT_EQ(Line(3), QString());
    EXPECT_EQ(Line(4), QStringLiteral("List index out of bounds (0)"));
    // Allow on nothing: logged, nothing sent, no crash.
    Click(Allow());
    EXPECT_EQ(FMonitor.Connections(), 0);
    ASSERT_EQ(FEvents.Events().size(), 1u);
    EXPECT_EQ(FEvents.Events()[0].Strings[0], "AskPlimmDecisions");
}

TEST_F(PlimmDecisionDialog, FailingVerdictHandlerIsLoggedAndTheDialogStays) {
    AddItems(2);
    const TDecisionVerdictEvent failing = [](int, bool) {
        throw decisions::EDecisionListError("gone");
    };
    FDialogOwner.EnsureDialog(failing).InputDelay = 0;
    ShowPlimmDecisions(&FList, failing);
    Click(Deny());
    EXPECT_TRUE(Shown());
    const auto events = FEvents.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Source, "Korvex - Thornet 2");
    EXPECT_EQ(events[0].Type, win::EVENTLOG_ERROR_TYPE);
    EXPECT_EQ(events[0].Category, 1);
    EXPECT_EQ(events[0].Strings, (std::vector<std::string>{"AskPlimmDecisions", "gone"}));
}

TEST_F(PlimmDecisionDialog, CreationErrorGoesToTheEventLogOnly) {
    decisions::FreeDialogTexts();
    AddItems(1);
    EXPECT_TRUE(ShowPlimmDecisions(&FList, {}));
    EXPECT_EQ(DecisionDialog(), nullptr);
    const auto events = FEvents.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].Strings.at(0), "AskPlimmDecisions");
    EXPECT_EQ(events[0].Strings.at(1), "The dialog texts have not been registered");

    FEvents.SetRefuse(true); // a broken event log is swallowed too
    EXPECT_NO_THROW(ReportDialogError("AskPlimmDecisions", "again"));
}

TEST_F(PlimmDecisionDialog, VerificationCheckBoxStartsChecked) {
    AddItems(1);
    Notify();
    ASSERT_NE(Form().VerificationCheckBox(), nullptr);
    EXPECT_TRUE(Form().VerificationCheckBox()->isChecked());
    EXPECT_EQ(Form().VerificationCheckBox()->text(), QStringLiteral("Show this dialog again?"));
}

// The dialog lives in its owner: it goes with it, one owner exists at a time, and without one
// a notification leaves no dialog behind, only an event-log entry.
TEST(DecisionDialogOwner, TheDialogLivesAndGoesWithItsOwner) {
    decisions::RegisterDialogTexts(nullptr);
    const win::TEventLogRecorder events;
    decisions::TDecisionList list;
    list.Add({"item=x", "decisiontype=decision"});
    {
        TDecisionDialogOwner owner;
        EXPECT_THROW(TDecisionDialogOwner(), Exception);
        ShowPlimmDecisions(&list, {});
        ASSERT_NE(DecisionDialog(), nullptr);
        EXPECT_EQ(DecisionDialog(), owner.Dialog());
        owner.FreeDialog();
        EXPECT_EQ(DecisionDialog(), nullptr);
        ShowPlimmDecisions(&list, {}); // created again on demand
        EXPECT_TRUE(DecisionDialog() != nullptr && DecisionDialog()->Form()->isVisible());
    }
    EXPECT_EQ(DecisionDialog(), nullptr);
    EXPECT_TRUE(events.Events().empty());
    EXPECT_TRUE(ShowPlimmDecisions(&list, {}));
    EXPECT_EQ(DecisionDialog(), nullptr);
    ASSERT_EQ(events.Events().size(), 1u);
    EXPECT_EQ(events.Events()[0].Strings,
              (std::vector<std::string>{"AskPlimmDecisions", "the decision dialog has no owner"}));
    decisions::FreeDialogTexts();
}

} // namespace
} // namespace vx::dialogs
