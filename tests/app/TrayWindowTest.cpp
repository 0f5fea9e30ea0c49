#include "TrayWindowFixture.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "suite-sim/SampleDecisions.h"
#include "taskdialog/JSLook.h"
#include "taskdialog/JSTaskDialogForm.h"
#include "taskdialog/JSWidgets.h"
#include "taskdialog/TaskDialogTestSupport.h"

#include <functional>
#include <future>
#include <optional>
#include <string>

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

using taskdialog::TJSTaskDialogForm;

constexpr const char* ExitQuestion =
    "Closing this icon and menu will not stop system monitoring, changes will just happen "
    "without notice afterwards. To shut down the monitoring instead, disabled it by unchecking "
    "\"Live Protection\" instead. Are you sure you want to exit the notifications only?";

// Before any report the labels show what nothing is known yet, and the tooltip is the
// application's title.
TEST_F(TrayWindowTest, BeforeTheFirstReport) {
    const QStringList texts{"Scanner version: ???",
                            "Last update: ???",
                            "Database size: ???",
                            "On-Access protection: ...",
                            "Antispyware & Antivirus protection: ...",
                            "Internet protection: ..."};
    const TLook expected{texts, std::vector<bool>(6, false), "Korvex - Thornet 2 Tray", false};
    EXPECT_EQ(Look(), expected);
    EXPECT_TRUE(Window().TrayIcon().isVisible());
    EXPECT_EQ(Window().HintLineOfService(), (std::array<int, 5>{5, 3, 2, 4, -1}));
    EXPECT_EQ(Window().HintLines(), (QStringList{"Korvex - Thornet 2", "", "", "", "", ""}));
}

// Each information report updates its label; any other kind changes nothing. Run forwards
// and backwards, so that each text follows a bold one and a normal one of its label.
TEST_F(TrayWindowTest, WelcomeInfoTable) {
    struct TCase {
        int Kind;
        bool Available;
        const char* Text;
        int Label; // position in LabelNames; -1: nothing changes
        const char* Shown;
        bool Bold;
    };
    const TCase cases[] = {
        {0, true, "2.7.1031.40961", 0, "Scanner version: 2.7.1031.40961", false},
        {0, false, "", 0, "Scanner library missing!", true},
        {1, true, "2026-12-01 08:30", 1, "Last update: 2026-12-01 08:30", false},
        {1, false, "", 1, "No update attempt registered!", true},
        {3, true, "1234567", 2, "Database size: 1234567 patterns", false},
        {3, false, "", 2, "Database size: ???", false},
        // The text goes in unchanged, whatever it holds.
        {1, true, "%1 & %2 <b>x</b> %s", 1, "Last update: %1 & %2 <b>x</b> %s", false},
        {3, true, "-1", 2, "Database size: -1 patterns", false},
        {2, true, "two", -1, "", false},
        {4, true, "four", -1, "", false},
        {255, false, "", -1, "", false},
    };
    std::vector<const TCase*> order;
    for (const auto& testCase : cases) {
        order.push_back(&testCase);
    }
    order.insert(order.end(), order.rbegin(), order.rend());
    for (const TCase* testCase : order) {
        SCOPED_TRACE(testing::Message() << "kind " << testCase->Kind << " " << testCase->Available
                                        << " " << testCase->Text);
        TLook expected = Look();
        if (testCase->Label >= 0) {
            expected.Texts[testCase->Label] = QString::fromUtf8(testCase->Shown);
            expected.Bold[static_cast<std::size_t>(testCase->Label)] = testCase->Bold;
        }
        Window().ShowWelcomeInfo(static_cast<std::uint8_t>(testCase->Kind), testCase->Available,
                                 testCase->Text);
        EXPECT_EQ(Look(), expected);
    }
}

// Each service report updates its label by status (or leaves it) and its tooltip line; the
// tray program's own report changes nothing. Statuses run 0, 2, 3, 1, 4 so that a working text
// follows a bold one.
TEST_F(TrayWindowTest, ServiceStatusTable) {
    struct TCase {
        int Index;
        int Status;
        const char* Shown; // null: the label stays
        bool Bold;
        const char* HintLine; // null: the tooltip stays
    };
    const char* const any = nullptr;
    const TCase cases[] = {
        {0, 0, any, false, "Updater: untested"},
        {0, 2, "Update service down!", true, "Updater: unavailable"},
        {0, 3, "Update service corrupted!", true, "Updater: corrupted"},
        {0, 1, any, false, "Updater: working"},
        {0, 4, any, false, "Updater: not found"},
        {1, 0, any, false, "Scanner: untested"},
        {1, 2, "Antispyware & Antivirus protection: off", true, "Scanner: unavailable"},
        {1, 3, "Antispyware & Antivirus protection: corrupted", true, "Scanner: corrupted"},
        {1, 1, "Antispyware & Antivirus protection: on", false, "Scanner: working"},
        {1, 4, any, false, "Scanner: not found"},
        {2, 0, any, false, "System Monitor: untested"},
        {2, 2, "On-Access protection: off", true, "System Monitor: unavailable"},
        {2, 3, "On-Access protection: corrupted", true, "System Monitor: corrupted"},
        {2, 1, "On-Access protection: on", false, "System Monitor: working"},
        {2, 4, any, false, "System Monitor: not found"},
        {3, 0, any, false, "Firewall: untested"},
        {3, 2, "Internet Explorer protection: off", true, "Firewall: unavailable"},
        {3, 3, "Internet Explorer protection: corrupted", true, "Firewall: corrupted"},
        {3, 1, "Internet Explorer protection: on", false, "Firewall: working"},
        {3, 4, any, false, "Firewall: not found"},
        {4, 0, any, false, any},
        {4, 1, any, false, any},
        {4, 2, any, false, any},
        {4, 3, any, false, any},
        {4, 4, any, false, any},
        // Out of range: nothing to show.
        {1, 5, any, false, any},
        {3, 255, any, false, any},
        {5, 2, any, false, any},
        {255, 1, any, false, any},
    };
    // A distinct last-update text, which index 0 must leave for statuses 0, 1 and 4.
    Window().ShowWelcomeInfo(1, true, "2026-12-01 08:30");
    // Where each index's line is in the tooltip.
    const int hintLineOf[] = {5, 3, 2, 4};
    const int labelOf[] = {1, 4, 3, 5};
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testing::Message()
                     << "index " << testCase.Index << " status " << testCase.Status);
        TLook expected = Look();
        if (testCase.Shown != nullptr) {
            expected.Texts[labelOf[testCase.Index]] = QString::fromUtf8(testCase.Shown);
            expected.Bold[static_cast<std::size_t>(labelOf[testCase.Index])] = testCase.Bold;
        }
        QStringList lines = Window().HintLines();
        if (testCase.HintLine != nullptr) {
            lines[hintLineOf[testCase.Index]] = QString::fromUtf8(testCase.HintLine);
            expected.ToolTip = lines.join("\r\n") + "\r\n";
        }
        Window().ShowServiceStatus(static_cast<std::uint8_t>(testCase.Index),
                                   static_cast<std::uint8_t>(testCase.Status));
        EXPECT_EQ(Look(), expected);
    }
}

// The update service's trouble shows until the next cycle's information report, which the
// cycle's service report then replaces again; its working report leaves whatever is shown.
TEST_F(TrayWindowTest, UpdateServiceTroubleAcrossCycles) {
    QLabel* lastUpdate = Label("labelLastUpdate");
    ASSERT_NE(lastUpdate, nullptr);
    auto shows = [&](const char* text, bool bold) {
        return lastUpdate->text() == QString::fromUtf8(text) && lastUpdate->font().bold() == bold;
    };
    Window().ShowWelcomeInfo(1, true, "2026-12-01 08:30");
    Window().ShowServiceStatus(0, 1);
    EXPECT_TRUE(shows("Last update: 2026-12-01 08:30", false));
    Window().ShowServiceStatus(0, 2);
    EXPECT_TRUE(shows("Update service down!", true));
    Window().ShowServiceStatus(0, 1);
    EXPECT_TRUE(shows("Update service down!", true));
    Window().ShowWelcomeInfo(1, true, "2026-12-02 09:00"); // the next cycle
    EXPECT_TRUE(shows("Last update: 2026-12-02 09:00", false));
    Window().ShowServiceStatus(0, 2);
    EXPECT_TRUE(shows("Update service down!", true));
    Window().ShowWelcomeInfo(1, false, "");
    EXPECT_TRUE(shows("No update attempt registered!", true));
    Window().ShowServiceStatus(0, 3);
    EXPECT_TRUE(shows("Update service corrupted!", true));
}

TEST_F(TrayWindowTest, ToolTipLines) {
    // The tray program's own report does not replace the title.
    Window().ShowServiceStatus(4, 2);
    EXPECT_EQ(ToolTip(), QStringLiteral("Korvex - Thornet 2 Tray"));
    // The first report brings every line, those not reported yet empty.
    Window().ShowServiceStatus(2, 1);
    EXPECT_EQ(ToolTip(),
              QStringLiteral("Korvex - Thornet 2\r\n\r\nSystem Monitor: working\r\n\r\n\r\n\r\n"));
    for (int index = 0; index < 5; ++index) {
        Window().ShowServiceStatus(static_cast<std::uint8_t>(index), 2);
    }
    EXPECT_EQ(ToolTip(), QStringLiteral("Korvex - Thornet 2\r\n"
                                        "\r\n"
                                        "System Monitor: unavailable\r\n"
                                        "Scanner: unavailable\r\n"
                                        "Firewall: unavailable\r\n"
                                        "Updater: unavailable\r\n"));
}

// The check entry toggles itself and nothing else.
TEST_F(TrayWindowTest, LiveProtectionTwiceReturnsToChecked) {
    auto* item = FindOne<QAction>(QStringLiteral("miLiveProtection"));
    auto* action = FindOne<QAction>(QStringLiteral("aLiveProtection"));
    ASSERT_NE(item, nullptr);
    ASSERT_NE(action, nullptr);
    EXPECT_TRUE(item->isCheckable());
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(action->isChecked());
    const TLook before = Look();
    Choose("miLiveProtection");
    EXPECT_FALSE(item->isChecked());
    EXPECT_FALSE(action->isChecked());
    EXPECT_EQ(Look(), before);
    Choose("miLiveProtection");
    EXPECT_TRUE(item->isChecked());
    EXPECT_TRUE(action->isChecked());
    EXPECT_EQ(Look(), before);
    EXPECT_EQ(FExits, 0);
    EXPECT_EQ(dialogs::DecisionDialog(), nullptr);
}

// Only Yes ends the program; No, Escape and closing the question keep it with its tray icon.
TEST_F(TrayWindowTest, ExitQuestionAnswers) {
    struct TCase {
        const char* Name;
        std::function<void(TJSTaskDialogForm&)> Answer;
        int Exits;
    };
    const TCase cases[] = {
        {"No",
         [](TJSTaskDialogForm& form) {
             taskdialog::test::Click(form.CommonButton(taskdialog::cbNo));
         },
         0},
        {"Escape", [](TJSTaskDialogForm& form) { taskdialog::test::Press(&form, Qt::Key_Escape); },
         0},
        {"Return on the default",
         [](TJSTaskDialogForm& form) { taskdialog::test::Press(&form, Qt::Key_Return); }, 0},
        {"closed", [](TJSTaskDialogForm& form) { form.close(); }, 0},
        {"Yes",
         [](TJSTaskDialogForm& form) {
             taskdialog::test::Click(form.CommonButton(taskdialog::cbYes));
         },
         1},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        FExits = 0;
        bool asked = false;
        taskdialog::test::WhenModal([&](TJSTaskDialogForm& form) {
            asked = true;
            EXPECT_EQ(form.ContentView()->toPlainText(), QString::fromUtf8(ExitQuestion));
            ASSERT_NE(form.CommonButton(taskdialog::cbYes), nullptr);
            ASSERT_NE(form.CommonButton(taskdialog::cbNo), nullptr);
            EXPECT_TRUE(form.CommonButton(taskdialog::cbNo)->isDefault());
            ASSERT_NE(form.MainIconLabel(), nullptr);
            EXPECT_EQ(form.MainIconLabel()->pixmap().toImage(),
                      taskdialog::StandardIcon(taskdialog::tdiWarning).pixmap(32).toImage());
            testCase.Answer(form);
        });
        Choose("miExit");
        EXPECT_TRUE(asked);
        EXPECT_EQ(FExits, testCase.Exits);
        EXPECT_TRUE(Window().TrayIcon().isVisible());
    }
}

// Seven entries in order, each standing for its action; "&&" shows as one ampersand and no
// entry has a keyboard accelerator.
TEST_F(TrayWindowTest, MenuEntries) {
    struct TEntry {
        const char* Item;
        const char* Action; // null: the separator
        const char* Caption;
        const char* Displayed;
    };
    const TEntry entries[] = {
        {"miSystemScan", "aSystemScan", "System Scan", "System Scan"},
        {"miFileScan", "aFileScan", "File && Folder Scan", "File & Folder Scan"},
        {"miUpdate", "aUpdate", "Update", "Update"},
        {"N1", nullptr, "", ""},
        {"miLiveProtection", "aLiveProtection", "Live Protection", "Live Protection"},
        {"miShowstatus", "aShowStatus", "Show status", "Show status"},
        {"miExit", "aExit", "Exit", "Exit"},
    };
    QMenu& menu = Window().PopupTray();
    EXPECT_EQ(Window().TrayIcon().contextMenu(), &menu);
    const QList<QAction*> items = menu.actions();
    ASSERT_EQ(items.size(), static_cast<qsizetype>(std::size(entries)));
    for (qsizetype i = 0; i < items.size(); ++i) {
        const TEntry& entry = entries[i];
        SCOPED_TRACE(entry.Item);
        QAction* item = items[i];
        EXPECT_EQ(item->objectName(), QString::fromLatin1(entry.Item));
        EXPECT_EQ(item->isSeparator(), entry.Action == nullptr);
        EXPECT_EQ(item->text(), QString::fromLatin1(entry.Caption));
        EXPECT_EQ(item->iconText(), QString::fromLatin1(entry.Displayed));
        EXPECT_TRUE(QKeySequence::mnemonic(item->text()).isEmpty());
        EXPECT_EQ(item->isCheckable(), entry.Item == std::string("miLiveProtection"));
        if (entry.Action != nullptr) {
            auto* action = FindOne<QAction>(QString::fromLatin1(entry.Action));
            ASSERT_NE(action, nullptr);
            EXPECT_EQ(action->text(), item->text());
        }
    }
}

// A language file reaches the window's parts by walking the application's windows.
TEST_F(TrayWindowTest, PartsReachableByName) {
    struct TPart {
        const char* Name;
        const char* Class;
    };
    const TPart parts[] = {
        {"FormPlimmTrayStatus", "vx::app::TFormPlimmTrayStatus"},
        {"labelScannerVersion", "QLabel"},
        {"labelLastUpdate", "QLabel"},
        {"labelDatabaseSize", "QLabel"},
        {"labelStatusPlimmLounge", "QLabel"},
        {"labelStatusScanner", "QLabel"},
        {"labelStatusIE", "QLabel"},
        {"bnClose", "QPushButton"},
        {"TrayIcon", "QSystemTrayIcon"},
        {"PopupTray", "QMenu"},
        {"miSystemScan", "QAction"},
        {"miFileScan", "QAction"},
        {"miUpdate", "QAction"},
        {"N1", "QAction"},
        {"miLiveProtection", "QAction"},
        {"miShowstatus", "QAction"},
        {"miExit", "QAction"},
        {"alTray", "QObject"},
        {"aSystemScan", "QAction"},
        {"aFileScan", "QAction"},
        {"aUpdate", "QAction"},
        {"aLiveProtection", "QAction"},
        {"aShowStatus", "QAction"},
        {"aExit", "QAction"},
    };
    for (const auto& part : parts) {
        SCOPED_TRACE(part.Name);
        const auto found = FindInApplication<QObject>(QString::fromLatin1(part.Name));
        ASSERT_EQ(found.size(), 1u);
        EXPECT_STREQ(found.front()->metaObject()->className(), part.Class);
    }
    auto* actionList = FindOne<QObject>(QStringLiteral("alTray"));
    ASSERT_NE(actionList, nullptr);
    EXPECT_EQ(actionList->findChildren<QAction*>().size(), 6);
}

TEST_F(TrayWindowTest, WindowLayout) {
    TFormPlimmTrayStatus& form = Window();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Korvex - Thornet 2"));
    EXPECT_EQ(form.size(), QSize(337, 153));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_EQ(form.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(form.font().pointSize(), 8);
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::Window));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::CustomizeWindowHint));
    for (const Qt::WindowType absent :
         {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
          Qt::WindowCloseButtonHint, Qt::WindowContextHelpButtonHint}) {
        EXPECT_FALSE(flags.testFlag(absent)) << absent;
    }

    auto* hide = FindOne<QPushButton>(QStringLiteral("bnClose"));
    ASSERT_NE(hide, nullptr);
    EXPECT_EQ(hide->text(), QStringLiteral("Hide"));
    EXPECT_EQ(hide->geometry(), QRect(254, 120, 75, 25));

    // Stacked from 8 pixels below the top, spanning the width within 8-pixel margins, above
    // the button; an ampersand is a plain character.
    int below = 8;
    for (const char* name : LabelNames) {
        SCOPED_TRACE(name);
        QLabel* shown = Label(name);
        ASSERT_NE(shown, nullptr);
        EXPECT_EQ(shown->x(), 8);
        EXPECT_EQ(shown->width(), 337 - 16);
        EXPECT_GE(shown->y(), below);
        below = shown->geometry().bottom() + 1;
        EXPECT_EQ(shown->textFormat(), Qt::PlainText);
        EXPECT_EQ(shown->buddy(), nullptr);
    }
    EXPECT_EQ(Label(LabelNames[0])->y(), 8);
    EXPECT_LE(below, 120);
}

// "Show status" shows the window centred and in front, "Hide" hides it; the texts stay up to
// date either way and the tray icon stays. Closing it from the window manager only hides it.
TEST_F(TrayWindowTest, ShowStatusAndHide) {
    Window().ShowWelcomeInfo(0, true, "2.7.1031.40961");
    Choose("miShowstatus");
    ASSERT_TRUE(WaitUntil([&] { return Window().isVisible(); }));
    const QRect screen = Window().screen()->availableGeometry();
    const QRect frame = Window().frameGeometry();
    EXPECT_LE((frame.center() - screen.center()).manhattanLength(), 1)
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    EXPECT_EQ(Label("labelScannerVersion")->text(),
              QStringLiteral("Scanner version: 2.7.1031.40961"));

    QTest::mouseClick(FindOne<QPushButton>(QStringLiteral("bnClose")), Qt::LeftButton);
    EXPECT_TRUE(WaitUntil([&] { return !Window().isVisible(); }));
    EXPECT_TRUE(Window().TrayIcon().isVisible());

    Window().ShowServiceStatus(2, 3);
    Choose("miShowstatus");
    ASSERT_TRUE(WaitUntil([&] { return Window().isVisible(); }));
    EXPECT_EQ(Label("labelStatusPlimmLounge")->text(),
              QStringLiteral("On-Access protection: corrupted"));
    EXPECT_EQ(Label("labelScannerVersion")->text(),
              QStringLiteral("Scanner version: 2.7.1031.40961"));

    Window().close();
    EXPECT_FALSE(Window().isVisible());
    EXPECT_EQ(FExits, 0);
    EXPECT_TRUE(Window().TrayIcon().isVisible());
}

// The road of decisions: the monitor adds them over the window's port, the dialog shows them,
// each verdict removes its decision at once and goes to the monitor in the background.
TEST_F(TrayWindowTest, DecisionsFromTheSocketAreAskedAndAnswered) {
    ASSERT_TRUE(WaitUntilServing());
    auto add = [port = FDecisionPort](const std::string& query) {
        return std::async(std::launch::async, [port, query] {
            std::string reply;
            return suitesim::SendAddToTray(query, reply, port) ? reply : "failed: " + reply;
        });
    };
    auto ready = [](std::future<std::string>& reply) {
        return reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    auto shown = [] {
        return dialogs::DecisionDialog() != nullptr && dialogs::DecisionDialog()->Form() &&
               dialogs::DecisionDialog()->Form()->isVisible();
    };
    auto itemLine = [] {
        return taskdialog::test::PlainLines(
                   *dialogs::DecisionDialog()->Form()->ContentView()->document())
            .value(dialogs::TKorvexPlimmDecisionDialog::LineItem);
    };

    auto first =
        add("module=m&information=i&item=C%3A%5Cevil.exe&decisiontype=decision&logclass=added");
    ASSERT_TRUE(WaitUntil([&] { return ready(first); }));
    const std::string firstReply = first.get();
    EXPECT_EQ(firstReply.rfind("id=0", 0), 0u) << firstReply;
    ASSERT_TRUE(shown());
    EXPECT_EQ(itemLine(), QStringLiteral("Item: C:\\evil.exe"));

    auto second =
        add("module=m&information=i&item=C%3A%5Cother.exe&decisiontype=decision&logclass=changed");
    ASSERT_TRUE(WaitUntil([&] { return ready(second); }));
    EXPECT_EQ(second.get().rfind("id=1", 0), 0u);
    ASSERT_EQ(Window().DecisionDaemon().Decisions().Count(), 2);

    ASSERT_TRUE(taskdialog::test::WaitUntilAnswerable(*dialogs::DecisionDialog()->Form()));
    taskdialog::test::Click(dialogs::DecisionDialog()->Form()->CustomButton(2)); // Allow
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(Window().DecisionDaemon().Decisions().Count(), 1);
    ASSERT_TRUE(WaitUntil([&] { return FMonitor.Requests().size() == 1; }));
    EXPECT_NE(FMonitor.Requests()[0].find("GET /applydecision?decisionid=0&decision=allow "),
              std::string::npos);
    EXPECT_EQ(Window().DecisionDaemon().Decisions().Count(), 1);
    ASSERT_TRUE(WaitUntil([&] { return shown() && itemLine().endsWith("other.exe"); }));

    ASSERT_TRUE(taskdialog::test::WaitUntilAnswerable(*dialogs::DecisionDialog()->Form()));
    taskdialog::test::Click(dialogs::DecisionDialog()->Form()->CustomButton(3)); // Deny
    ASSERT_TRUE(WaitUntil([&] { return FMonitor.Requests().size() == 2; }));
    EXPECT_NE(FMonitor.Requests()[1].find("GET /applydecision?decisionid=1&decision=deny "),
              std::string::npos);
    EXPECT_EQ(Window().DecisionDaemon().Decisions().Count(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !shown(); }));
}

} // namespace
} // namespace vx::app::test
