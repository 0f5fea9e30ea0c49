// The decision prompt on a real X desktop (Xvfb, openbox, an XEmbed tray), driven as a user
// drives it: keys and clicks go through the X server, focus is the window manager's.
#include "TrayWindowFixture.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "health/ServiceTester.h"
#include "suite-sim/SampleDecisions.h"
#include "support/Pumped.h"
#include "support/X11Session.h"
#include "taskdialog/JSTaskDialogForm.h"
#include "taskdialog/JSWidgets.h"

#include <chrono>
#include <future>
#include <string>

#include <QElapsedTimer>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

using vx::test::TX11Session;

class TrayX11Test : public TrayWindowTest {
protected:
    void SetUp() override {
        if (!Desktop().Available()) {
            GTEST_SKIP() << "no X desktop for real windows: " << Desktop().Why();
        }
        TrayWindowTest::SetUp();
    }

    static TX11Session& Desktop() { return TX11Session::Shared(); }
    decisions::TDecisionList& List() { return Window().DecisionDaemon().Decisions(); }
    taskdialog::TJSTaskDialogForm& Form() { return *dialogs::DecisionDialog()->Form(); }
    QPushButton* Allow() { return Form().CustomButton(2); }

    // Adds a decision as the monitor does, over the window's port, and waits for the reply.
    std::string Add(const std::string& item) {
        auto reply = std::async(std::launch::async, [port = FDecisionPort, item] {
            std::string text;
            suitesim::SendAddToTray("module=m&information=i&decisiontype=decision&item=" + item,
                                    text, port);
            return text;
        });
        EXPECT_TRUE(WaitUntil([&] { return vx::test::Ready(reply); }));
        return reply.get();
    }
    // Waits until the dialog is shown and the window system has it on the screen.
    bool DialogOnScreen() {
        return WaitUntil([] {
                   return dialogs::DecisionDialog() != nullptr &&
                          dialogs::DecisionDialog()->Form() != nullptr &&
                          dialogs::DecisionDialog()->Form()->isVisible();
               }) &&
               QTest::qWaitForWindowExposed(&Form());
    }
    // Decisions "one", "two" and "three" pending, their dialog on the screen and active.
    bool ThreeDecisionsInFront() {
        if (!WaitUntilServing()) {
            return false;
        }
        for (const char* item : {"one", "two", "three"}) {
            Add(item);
        }
        return DialogOnScreen() && Desktop().Activate(Form().winId());
    }
    // A real click in the middle of the widget.
    static bool ClickOn(const QWidget& widget) {
        const QPoint at = widget.mapToGlobal(widget.rect().center());
        return Desktop().ClickAt(at.x(), at.y());
    }
    // Lets the window system and the application handle what is on their way.
    static void Settle(int milliseconds = 300) { QTest::qWait(milliseconds); }
    std::size_t Verdicts() const { return FMonitor.Requests().size(); }
    QString ItemLine() {
        const QString all = Form().ContentView()->toPlainText();
        return all.section(u'\n', 2, 2);
    }
};

// A decision arriving while the user types elsewhere takes neither the keyboard nor a key:
// the typing goes on where it was, and Tab, Space and Return answer nothing.
TEST_F(TrayX11Test, ANotificationLeavesTheKeyboardWhereTheUserTypes) {
    ASSERT_TRUE(WaitUntilServing());
    QLineEdit terminal;
    terminal.setWindowTitle(QStringLiteral("terminal"));
    terminal.resize(400, 40);
    terminal.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&terminal));
    ASSERT_TRUE(Desktop().Activate(terminal.winId()));
    ASSERT_TRUE(Desktop().XdoTool({"type", "--delay", "10", "cd /usr/sh"}));
    Add("C%3A%5Cnot-read.exe");
    ASSERT_TRUE(DialogOnScreen());
    Settle();
    EXPECT_EQ(Desktop().ActiveWindow(), terminal.winId());
    ASSERT_TRUE(Desktop().Keys({"Tab", "Tab", "space", "Return", "space"}));
    Settle(1500); // past the delay, too
    EXPECT_EQ(Verdicts(), 0u);
    EXPECT_EQ(List().Count(), 1);
    EXPECT_EQ(Desktop().ActiveWindow(), terminal.winId());
    EXPECT_TRUE(terminal.text().startsWith(QStringLiteral("cd /usr/sh")))
        << terminal.text().toStdString();
    EXPECT_FALSE(Form().isActiveWindow());
}

// The user brings the dialog up: a click on Allow within the second is dropped, one after it
// counts; notifications every 200 ms while the dialog stays in front do not hold it up.
TEST_F(TrayX11Test, AllowWaitsASecondAfterTheDialogComesToTheFront) {
    ASSERT_TRUE(WaitUntilServing());
    Add("first");
    Add("second");
    ASSERT_TRUE(DialogOnScreen());
    Settle(1200);
    ASSERT_TRUE(Desktop().Activate(Form().winId()));
    ASSERT_TRUE(ClickOn(*Allow()));
    Settle();
    EXPECT_EQ(Verdicts(), 0u);
    EXPECT_EQ(List().Count(), 2);

    QTimer flood;
    int added = 0;
    QObject::connect(&flood, &QTimer::timeout, [&] {
        List().Add({"item=flood" + std::to_string(added++), "decisiontype=decision"});
    });
    flood.start(200);
    Settle(1500);
    EXPECT_GE(added, 5);
    ASSERT_TRUE(ClickOn(*Allow()));
    ASSERT_TRUE(WaitUntil([&] { return Verdicts() == 1; }));
    flood.stop();
    EXPECT_NE(FMonitor.Requests()[0].find("decisionid=0&decision=allow"), std::string::npos);
}

TEST_F(TrayX11Test, AFourthDecisionKeepsTheSecondInView) {
    ASSERT_TRUE(ThreeDecisionsInFront());
    ASSERT_TRUE(ClickOn(*Form().CustomButton(1))); // Next
    ASSERT_TRUE(WaitUntil([&] { return ItemLine() == QStringLiteral("Item: two"); }));
    Add("four");
    Settle();
    EXPECT_EQ(ItemLine(), QStringLiteral("Item: two"));
    EXPECT_TRUE(Form().InstructionView()->toPlainText().endsWith(QStringLiteral("(2/4)!")));
}

// A monitor that accepts the connection and never answers: the click returns at once, the
// service keeps answering, and after the time-out the user is told and the log says so.
TEST_F(TrayX11Test, AHungMonitorNeitherFreezesTheDialogNorHidesTheFailure) {
    ASSERT_TRUE(WaitUntilServing());
    FMonitor.SetHang();
    QSignalSpy notified(&Window(), &TFormPlimmTrayStatus::Notified);
    Add("C%3A%5Chung.exe");
    Add("C%3A%5Cnext.exe");
    ASSERT_TRUE(DialogOnScreen());
    ASSERT_TRUE(Desktop().Activate(Form().winId()));
    Settle(1200);
    ASSERT_TRUE(ClickOn(*Allow()));
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(WaitUntil([&] { return List().Count() == 1; }));
    EXPECT_LT(clock.elapsed(), 50);

    clock.restart();
    const std::string reply = Add("C%3A%5Cmeanwhile.exe");
    EXPECT_LT(clock.elapsed(), 100);
    EXPECT_EQ(reply.rfind("id=2", 0), 0u) << reply;

    ASSERT_TRUE(WaitUntil([&] { return notified.count() == 1; }));
    EXPECT_EQ(notified[0][1].toString(),
              QStringLiteral("Allow for \"C:\\hung.exe\" did not reach the monitor: 12002: The "
                             "operation timed out"));
    EXPECT_NE(Window().DecisionDaemon().ServiceLog()->LineLogText().find(
                  "Verdict allow for decision 0 (C:\\hung.exe) not delivered"),
              std::string::npos);
}

TEST_F(TrayX11Test, KeysPageAndAnswerButReturnDoesNot) {
    ASSERT_TRUE(ThreeDecisionsInFront());
    Settle(1200);
    ASSERT_TRUE(Desktop().Keys({"alt+Right"}));
    ASSERT_TRUE(WaitUntil([&] { return ItemLine() == QStringLiteral("Item: two"); }));
    ASSERT_TRUE(Desktop().Keys({"Next"})); // Page Down
    ASSERT_TRUE(WaitUntil([&] { return ItemLine() == QStringLiteral("Item: three"); }));
    ASSERT_TRUE(Desktop().Keys({"alt+Left", "Prior"})); // back to the first
    ASSERT_TRUE(WaitUntil([&] { return ItemLine() == QStringLiteral("Item: one"); }));
    ASSERT_TRUE(Desktop().Keys({"Return", "KP_Enter"}));
    Settle(1200);
    EXPECT_EQ(Verdicts(), 0u);
    ASSERT_TRUE(Desktop().Keys({"alt+d"}));
    ASSERT_TRUE(WaitUntil([&] { return Verdicts() == 1; }));
    EXPECT_NE(FMonitor.Requests()[0].find("decisionid=0&decision=deny"), std::string::npos);
    Settle(1200);
    ASSERT_TRUE(Desktop().Keys({"alt+a"}));
    ASSERT_TRUE(WaitUntil([&] { return Verdicts() == 2; }));
    EXPECT_NE(FMonitor.Requests()[1].find("decision=allow"), std::string::npos);
}

// The tray icon counts the pending decisions, turns to its warning form while a protection is
// down, and a click on it brings the dialog up with the keyboard.
TEST_F(TrayX11Test, TheTrayIconTellsAndBringsUpTheDialog) {
    ASSERT_TRUE(WaitUntilServing());
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
    const auto iconOnScreen = [&] {
        const QRect where = Window().TrayIcon().geometry();
        return QGuiApplication::primaryScreen()
            ->grabWindow(0, where.x(), where.y(), where.width(), where.height())
            .toImage();
    };
    ASSERT_TRUE(WaitUntil([&] { return Window().TrayIcon().geometry().isValid(); }));
    const QImage plain = iconOnScreen();

    Add("first");
    Add("second");
    EXPECT_EQ(Window().TrayIconState(), (TTrayIconState{2, false}));
    Settle();
    EXPECT_NE(iconOnScreen(), plain);
    Window().ShowServiceStatus(2, health::tsUnavailable);
    EXPECT_TRUE(Window().TrayIconState().Warning);

    ASSERT_TRUE(DialogOnScreen());
    Form().hide();
    const QRect icon = Window().TrayIcon().geometry();
    ASSERT_TRUE(Desktop().ClickAt(icon.center().x(), icon.center().y()));
    ASSERT_TRUE(DialogOnScreen());
    ASSERT_TRUE(WaitUntil([&] { return Desktop().ActiveWindow() == Form().winId(); }));
    EXPECT_EQ(ItemLine(), QStringLiteral("Item: first"));
}

// A 5,000-character item: the labels below it stay in sight and the window stays centred,
// also when it shrinks for a short decision.
TEST_F(TrayX11Test, ALongItemKeepsTheLabelsInSight) {
    ASSERT_TRUE(WaitUntilServing());
    Add(std::string(5000, 'x'));
    ASSERT_TRUE(DialogOnScreen());
    Settle();
    const auto centred = [this] {
        const QRect area = Form().screen()->availableGeometry();
        const QRect frame = Form().frameGeometry();
        return area.contains(frame) && std::abs(frame.center().y() - area.center().y()) <= 2 &&
               std::abs(frame.center().x() - area.center().x()) <= 2;
    };
    const auto& view = *Form().ContentView();
    EXPECT_LE(view.HeightForWidth(view.width()), view.height());
    const QString text = view.toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("Identified as:")));
    EXPECT_TRUE(text.contains(QStringLiteral("Threat Level:")));
    const QRect area = Form().screen()->availableGeometry();
    const QRect frame = Form().frameGeometry();
    EXPECT_TRUE(area.contains(frame));
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 2);
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 2);

    const int tall = frame.height();
    Add("short");
    ASSERT_TRUE(Desktop().Activate(Form().winId()));
    ASSERT_TRUE(ClickOn(*Form().CustomButton(1))); // Next
    ASSERT_TRUE(WaitUntil([&] { return ItemLine() == QStringLiteral("Item: short"); }));
    Settle();
    EXPECT_LT(Form().frameGeometry().height(), tall);
    EXPECT_TRUE(centred());
}

// Without a notification area the window shows at once and offers the tray menu, every entry
// of it, on a right click; "Hide" minimises it rather than leave it out of reach. When a tray
// comes, the icon is there and the window hides as usual.
TEST_F(TrayX11Test, WithoutATrayTheWindowOffersTheTrayMenu) {
    struct TTrayBack {
        ~TTrayBack() { Desktop().StartTray(); }
    } trayBack;
    Desktop().StopTray();
    ASSERT_TRUE(WaitUntil([] { return !QSystemTrayIcon::isSystemTrayAvailable(); }));

    Window().WatchTrayHost();
    EXPECT_TRUE(Window().WithoutTrayHost());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
    const QPoint middle = Window().mapToGlobal(Window().rect().center());
    ASSERT_TRUE(Desktop().ClickAt(middle.x(), middle.y(), 3));
    ASSERT_TRUE(WaitUntil([&] { return Window().PopupTray().isVisible(); }));
    QStringList entries;
    for (const QAction* entry : Window().PopupTray().actions()) {
        entries << entry->objectName();
    }
    EXPECT_EQ(entries, (QStringList{"miSystemScan", "miFileScan", "miUpdate", "N1",
                                    "miLiveProtection", "miShowstatus", "miExit"}));
    Window().PopupTray().hide();

    auto* hide = Window().findChild<QPushButton*>("bnClose");
    ASSERT_TRUE(ClickOn(*hide));
    ASSERT_TRUE(WaitUntil([&] { return Window().isMinimized(); }));
    EXPECT_TRUE(Window().isVisible());

    ASSERT_TRUE(Desktop().StartTray());
    ASSERT_TRUE(WaitUntil([&] { return !Window().WithoutTrayHost(); }));
    ASSERT_TRUE(WaitUntil([&] { return Window().TrayIcon().geometry().isValid(); }));
    Window().showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
    hide->click();
    EXPECT_FALSE(Window().isVisible());
}

} // namespace
} // namespace vx::app::test
