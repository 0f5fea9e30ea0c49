// The tray window's side of the decision prompt: verdicts and Live Protection go to the
// monitor without the user interface waiting, what is not delivered is told, and the tray
// icon shows what is pending and what is down.
#include "TrayWindowFixture.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "health/ServiceTester.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <string>
#include <vector>

#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

std::string RequestLine(const std::string& head) {
    return head.substr(0, head.find("\r\n"));
}

class TrayPromptTest : public TrayWindowTest {
protected:
    decisions::TDecisionList& List() { return Window().DecisionDaemon().Decisions(); }
    // A decision added as the monitor adds it, and the window told.
    void Add(const std::string& item) {
        List().Add({"item=" + item, "decisiontype=decision", "logclass=added"});
        Window().AskDecisions(List());
    }
    std::vector<std::string> MonitorLines() const {
        std::vector<std::string> lines;
        for (const auto& request : FMonitor.Requests()) {
            lines.push_back(RequestLine(request));
        }
        return lines;
    }
    std::string LineLog() { return Window().DecisionDaemon().ServiceLog()->LineLogText(); }
};

// The decision goes at once; its verdict reaches the monitor in the background, even while
// the monitor hangs on an earlier request.
TEST_F(TrayPromptTest, AVerdictLeavesAtOnceAndTheMonitorGetsItLater) {
    FMonitor.SetHang();
    Add("C:\\first.exe");
    Add("C:\\second.exe");
    Window().ApplyDecisionVerdict(0, true);
    EXPECT_EQ(List().Count(), 1);
    EXPECT_EQ(Window().TrayIconState().Pending, 1);
    Window().ApplyDecisionVerdict(0, false);
    EXPECT_EQ(List().Count(), 0);
    EXPECT_EQ(Window().MonitorSender().Pending(), 2u);
    ASSERT_TRUE(WaitUntil([&] { return FMonitor.Connections() == 1; }));
}

TEST_F(TrayPromptTest, AnUndeliveredVerdictIsToldAndLogged) {
    struct TCase {
        const char* Name;
        std::string Reply;
        const char* Reason;
    };
    const TCase cases[] = {
        {"refused", vx::test::TTestPeer::Reply(200, "0"), "the monitor refused it"},
        {"404", vx::test::TTestPeer::Reply(404, "1"), "File not found on server!"},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        FMonitor.SetReply(testCase.Reply);
        QSignalSpy notified(&Window(), &TFormPlimmTrayStatus::Notified);
        Add("C:\\Users\\Public\\<b>svchost32</b>.exe");
        Window().ApplyDecisionVerdict(0, true);
        ASSERT_TRUE(WaitUntil([&] { return notified.count() == 1; }));
        EXPECT_EQ(notified[0][0].toString(), QStringLiteral("Verdict not delivered"));
        EXPECT_EQ(notified[0][1].toString(),
                  QStringLiteral("Allow for \"C:\\Users\\Public\\<b>svchost32</b>.exe\" did not "
                                 "reach the monitor: ") +
                      QString::fromLatin1(testCase.Reason));
        EXPECT_NE(LineLog().find(std::string("not delivered: ") + testCase.Reason),
                  std::string::npos)
            << LineLog();
    }
}

TEST_F(TrayPromptTest, LiveProtectionTellsTheMonitor) {
    Choose("miLiveProtection");
    Choose("miLiveProtection");
    ASSERT_TRUE(WaitUntil([&] { return FMonitor.Requests().size() == 2; }));
    EXPECT_EQ(MonitorLines(), (std::vector<std::string>{"GET /liveprotection?enabled=0 HTTP/1.1",
                                                        "GET /liveprotection?enabled=1 HTTP/1.1"}));

    // Refused: the check mark toggles all the same, and the user is told.
    FMonitor.SetReply(vx::test::TTestPeer::Reply(200, "0"));
    QSignalSpy notified(&Window(), &TFormPlimmTrayStatus::Notified);
    Choose("miLiveProtection");
    ASSERT_TRUE(WaitUntil([&] { return notified.count() == 1; }));
    EXPECT_FALSE(FindOne<QAction>(QStringLiteral("aLiveProtection"))->isChecked());
    EXPECT_EQ(notified[0][0].toString(), QStringLiteral("Live Protection not changed"));
    EXPECT_EQ(notified[0][1].toString(),
              QStringLiteral("Switching Live Protection off did not reach the monitor: the "
                             "monitor refused it"));
    EXPECT_NE(LineLog().find("Live Protection off not delivered"), std::string::npos);
}

TEST_F(TrayPromptTest, TheIconShowsWhatIsPendingAndWhatIsDown) {
    EXPECT_EQ(Window().TrayIconState(), (TTrayIconState{0, false}));
    Add("a");
    Add("b");
    EXPECT_EQ(Window().TrayIconState(), (TTrayIconState{2, false}));
    const QImage withBadge = Window().TrayIcon().icon().pixmap(32).toImage();

    Window().ShowServiceStatus(2, health::tsUnavailable); // on-access protection off
    EXPECT_EQ(Window().TrayIconState(), (TTrayIconState{2, true}));
    Window().ShowServiceStatus(0, health::tsCorrupted); // the updater is no protection
    Window().ShowServiceStatus(2, health::tsWorking);
    EXPECT_EQ(Window().TrayIconState(), (TTrayIconState{2, false}));
    Window().ShowServiceStatus(3, health::tsCorrupted); // Internet protection
    EXPECT_TRUE(Window().TrayIconState().Warning);
    Window().ShowServiceStatus(3, health::tsWorking);

    Window().ApplyDecisionVerdict(0, true);
    Window().ApplyDecisionVerdict(0, true);
    EXPECT_EQ(Window().TrayIconState(), (TTrayIconState{0, false}));
    EXPECT_NE(Window().TrayIcon().icon().pixmap(32).toImage(), withBadge);
    // The tooltip and the menu stay as they are.
    EXPECT_EQ(Window().HintLines().value(0), QStringLiteral("Korvex - Thornet 2"));
}

// A click on the icon brings up the dialog at the first pending decision, with the keyboard;
// without pending decisions it does nothing.
TEST_F(TrayPromptTest, AClickOnTheIconBringsUpTheDecisions) {
    emit Window().TrayIcon().activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(dialogs::DecisionDialog(), nullptr);

    Add("first");
    Add("second");
    dialogs::DecisionDialog()->Form()->CustomButton(1)->click(); // Next: the second shown
    dialogs::DecisionDialog()->Form()->close();
    ASSERT_FALSE(dialogs::DecisionDialog()->Form()->isVisible());
    emit Window().TrayIcon().activated(QSystemTrayIcon::Trigger);
    taskdialog::TJSTaskDialogForm* form = dialogs::DecisionDialog()->Form();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowActive(form));
    EXPECT_EQ(dialogs::DecisionDialog()->Index(), 0);
}

} // namespace
} // namespace vx::app::test
