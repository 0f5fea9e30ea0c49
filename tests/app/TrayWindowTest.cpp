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
    const QStringList Texts{"Scanner version: ???",
                            "Last update: ???",
                            "Database size: ???",
                            "On-Access protection: ...",
                            "Antispyware & Antivirus protection: ...",
                            "Internet protection: ..."};
    const TLook Expected{Texts, std::vector<bool>(6, false), "Korvex - Thornet 2 Tray", false};
    EXPECT_EQ(Look(), Expected);
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
    const TCase Cases[] = {
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
    std::vector<const TCase*> Order;
    for (const auto& Case : Cases) {
        Order.push_back(&Case);
    }
    Order.insert(Order.end(), Order.rbegin(), Order.rend());
    for (const TCase* Case : Order) {
        SCOPED_TRACE(testing::Message()
                     << "kind " << Case->Kind << " " << Case->Available << " " << Case->Text);
        TLook Expected = Look();
        if (Case->Label >= 0) {
            Expected.Texts[Case->Label] = QString::fromUtf8(Case->Shown);
            Expected.Bold[static_cast<std::size_t>(Case->Label)] = Case->Bold;
        }
        Window().ShowWelcomeInfo(static_cast<std::uint8_t>(Case->Kind), Case->Available,
                                 Case->Text);
        EXPECT_EQ(Look(), Expected);
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
    const char* const Any = nullptr;
    const TCase Cases[] = {
        {0, 0, Any, false, "Updater: untested"},
        {0, 2, "Update service down!", true, "Updater: unavailable"},
        {0, 3, "Update service corrupted!", true, "Updater: corrupted"},
        {0, 1, Any, false, "Updater: working"},
        {0, 4, Any, false, "Updater: not found"},
        {1, 0, Any, false, "Scanner: untested"},
        {1, 2, "Antispyware & Antivirus protection: off", true, "Scanner: unavailable"},
        {1, 3, "Antispyware & Antivirus protection: corrupted", true, "Scanner: corrupted"},
        {1, 1, "Antispyware & Antivirus protection: on", false, "Scanner: working"},
        {1, 4, Any, false, "Scanner: not found"},
        {2, 0, Any, false, "System Monitor: untested"},
        {2, 2, "On-Access protection: off", true, "System Monitor: unavailable"},
        {2, 3, "On-Access protection: corrupted", true, "System Monitor: corrupted"},
        {2, 1, "On-Access protection: on", false, "System Monitor: working"},
        {2, 4, Any, false, "System Monitor: not found"},
        {3, 0, Any, false, "Firewall: untested"},
        {3, 2, "Internet Explorer protection: off", true, "Firewall: unavailable"},
        {3, 3, "Internet Explorer protection: corrupted", true, "Firewall: corrupted"},
        {3, 1, "Internet Explorer protection: on", false, "Firewall: working"},
        {3, 4, Any, false, "Firewall: not found"},
        {4, 0, Any, false, Any},
        {4, 1, Any, false, Any},
        {4, 2, Any, false, Any},
        {4, 3, Any, false, Any},
        {4, 4, Any, false, Any},
        // Out of range: nothing to show.
        {1, 5, Any, false, Any},
        {3, 255, Any, false, Any},
        {5, 2, Any, false, Any},
        {255, 1, Any, false, Any},
    };
    // A distinct last-update text, which index 0 must leave for statuses 0, 1 and 4.
    Window().ShowWelcomeInfo(1, true, "2026-12-01 08:30");
    // Where each index's line is in the tooltip.
    const int HintLineOf[] = {5, 3, 2, 4};
    const int LabelOf[] = {1, 4, 3, 5};
    for (const auto& Case : Cases) {
        SCOPED_TRACE(testing::Message() << "index " << Case.Index << " status " << Case.Status);
        TLook Expected = Look();
        if (Case.Shown != nullptr) {
            Expected.Texts[LabelOf[Case.Index]] = QString::fromUtf8(Case.Shown);
            Expected.Bold[static_cast<std::size_t>(LabelOf[Case.Index])] = Case.Bold;
        }
        QStringList Lines = Window().HintLines();
        if (Case.HintLine != nullptr) {
            Lines[HintLineOf[Case.Index]] = QString::fromUtf8(Case.HintLine);
            Expected.ToolTip = Lines.join("\r\n") + "\r\n";
        }
        Window().ShowServiceStatus(static_cast<std::uint8_t>(Case.Index),
                                   static_cast<std::uint8_t>(Case.Status));
        EXPECT_EQ(Look(), Expected);
    }
}

// The update service's trouble shows until the next cycle's information report, which the
// cycle's service report then replaces again; its working report leaves whatever is shown.
TEST_F(TrayWindowTest, UpdateServiceTroubleAcrossCycles) {
    QLabel* LastUpdate = Label("labelLastUpdate");
    ASSERT_NE(LastUpdate, nullptr);
    auto Shows = [&](const char* Text, bool Bold) {
        return LastUpdate->text() == QString::fromUtf8(Text) && LastUpdate->font().bold() == Bold;
    };
    Window().ShowWelcomeInfo(1, true, "2026-12-01 08:30");
    Window().ShowServiceStatus(0, 1);
    EXPECT_TRUE(Shows("Last update: 2026-12-01 08:30", false));
    Window().ShowServiceStatus(0, 2);
    EXPECT_TRUE(Shows("Update service down!", true));
    Window().ShowServiceStatus(0, 1);
    EXPECT_TRUE(Shows("Update service down!", true));
    Window().ShowWelcomeInfo(1, true, "2026-12-02 09:00"); // the next cycle
    EXPECT_TRUE(Shows("Last update: 2026-12-02 09:00", false));
    Window().ShowServiceStatus(0, 2);
    EXPECT_TRUE(Shows("Update service down!", true));
    Window().ShowWelcomeInfo(1, false, "");
    EXPECT_TRUE(Shows("No update attempt registered!", true));
    Window().ShowServiceStatus(0, 3);
    EXPECT_TRUE(Shows("Update service corrupted!", true));
}

TEST_F(TrayWindowTest, ToolTipLines) {
    // The tray program's own report does not replace the title.
    Window().ShowServiceStatus(4, 2);
    EXPECT_EQ(ToolTip(), QStringLiteral("Korvex - Thornet 2 Tray"));
    // The first report brings every line, those not reported yet empty.
    Window().ShowServiceStatus(2, 1);
    EXPECT_EQ(ToolTip(),
              QStringLiteral("Korvex - Thornet 2\r\n\r\nSystem Monitor: working\r\n\r\n\r\n\r\n"));
    for (int Index = 0; Index < 5; ++Index) {
        Window().ShowServiceStatus(static_cast<std::uint8_t>(Index), 2);
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
    auto* Item = FindOne<QAction>(QStringLiteral("miLiveProtection"));
    auto* Action = FindOne<QAction>(QStringLiteral("aLiveProtection"));
    ASSERT_NE(Item, nullptr);
    ASSERT_NE(Action, nullptr);
    EXPECT_TRUE(Item->isCheckable());
    EXPECT_TRUE(Item->isChecked());
    EXPECT_TRUE(Action->isChecked());
    const TLook Before = Look();
    Choose("miLiveProtection");
    EXPECT_FALSE(Item->isChecked());
    EXPECT_FALSE(Action->isChecked());
    EXPECT_EQ(Look(), Before);
    Choose("miLiveProtection");
    EXPECT_TRUE(Item->isChecked());
    EXPECT_TRUE(Action->isChecked());
    EXPECT_EQ(Look(), Before);
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
    const TCase Cases[] = {
        {"No",
         [](TJSTaskDialogForm& Form) {
             taskdialog::test::Click(Form.CommonButton(taskdialog::cbNo));
         },
         0},
        {"Escape", [](TJSTaskDialogForm& Form) { taskdialog::test::Press(&Form, Qt::Key_Escape); },
         0},
        {"Return on the default",
         [](TJSTaskDialogForm& Form) { taskdialog::test::Press(&Form, Qt::Key_Return); }, 0},
        {"closed", [](TJSTaskDialogForm& Form) { Form.close(); }, 0},
        {"Yes",
         [](TJSTaskDialogForm& Form) {
             taskdialog::test::Click(Form.CommonButton(taskdialog::cbYes));
         },
         1},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        FExits = 0;
        bool Asked = false;
        taskdialog::test::WhenModal([&](TJSTaskDialogForm& Form) {
            Asked = true;
            EXPECT_EQ(Form.ContentView()->toPlainText(), QString::fromUtf8(ExitQuestion));
            ASSERT_NE(Form.CommonButton(taskdialog::cbYes), nullptr);
            ASSERT_NE(Form.CommonButton(taskdialog::cbNo), nullptr);
            EXPECT_TRUE(Form.CommonButton(taskdialog::cbNo)->isDefault());
            ASSERT_NE(Form.MainIconLabel(), nullptr);
            EXPECT_EQ(Form.MainIconLabel()->pixmap().toImage(),
                      taskdialog::StandardIcon(taskdialog::tdiWarning).pixmap(32).toImage());
            Case.Answer(Form);
        });
        Choose("miExit");
        EXPECT_TRUE(Asked);
        EXPECT_EQ(FExits, Case.Exits);
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
    const TEntry Entries[] = {
        {"miSystemScan", "aSystemScan", "System Scan", "System Scan"},
        {"miFileScan", "aFileScan", "File && Folder Scan", "File & Folder Scan"},
        {"miUpdate", "aUpdate", "Update", "Update"},
        {"N1", nullptr, "", ""},
        {"miLiveProtection", "aLiveProtection", "Live Protection", "Live Protection"},
        {"miShowstatus", "aShowStatus", "Show status", "Show status"},
        {"miExit", "aExit", "Exit", "Exit"},
    };
    QMenu& Menu = Window().PopupTray();
    EXPECT_EQ(Window().TrayIcon().contextMenu(), &Menu);
    const QList<QAction*> Items = Menu.actions();
    ASSERT_EQ(Items.size(), static_cast<qsizetype>(std::size(Entries)));
    for (qsizetype I = 0; I < Items.size(); ++I) {
        const TEntry& Entry = Entries[I];
        SCOPED_TRACE(Entry.Item);
        QAction* Item = Items[I];
        EXPECT_EQ(Item->objectName(), QString::fromLatin1(Entry.Item));
        EXPECT_EQ(Item->isSeparator(), Entry.Action == nullptr);
        EXPECT_EQ(Item->text(), QString::fromLatin1(Entry.Caption));
        EXPECT_EQ(Item->iconText(), QString::fromLatin1(Entry.Displayed));
        EXPECT_TRUE(QKeySequence::mnemonic(Item->text()).isEmpty());
        EXPECT_EQ(Item->isCheckable(), Entry.Item == std::string("miLiveProtection"));
        if (Entry.Action != nullptr) {
            auto* Action = FindOne<QAction>(QString::fromLatin1(Entry.Action));
            ASSERT_NE(Action, nullptr);
            EXPECT_EQ(Action->text(), Item->text());
        }
    }
}

// A language file reaches the window's parts by walking the application's windows.
TEST_F(TrayWindowTest, PartsReachableByName) {
    struct TPart {
        const char* Name;
        const char* Class;
    };
    const TPart Parts[] = {
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
    for (const auto& Part : Parts) {
        SCOPED_TRACE(Part.Name);
        const auto Found = FindInApplication<QObject>(QString::fromLatin1(Part.Name));
        ASSERT_EQ(Found.size(), 1u);
        EXPECT_STREQ(Found.front()->metaObject()->className(), Part.Class);
    }
    auto* ActionList = FindOne<QObject>(QStringLiteral("alTray"));
    ASSERT_NE(ActionList, nullptr);
    EXPECT_EQ(ActionList->findChildren<QAction*>().size(), 6);
}

TEST_F(TrayWindowTest, WindowLayout) {
    TFormPlimmTrayStatus& Form = Window();
    EXPECT_EQ(Form.windowTitle(), QStringLiteral("Korvex - Thornet 2"));
    EXPECT_EQ(Form.size(), QSize(337, 153));
    EXPECT_EQ(Form.minimumSize(), Form.maximumSize());
    EXPECT_EQ(Form.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(Form.font().pointSize(), 8);
    const Qt::WindowFlags Flags = Form.windowFlags();
    EXPECT_TRUE(Flags.testFlag(Qt::Window));
    EXPECT_TRUE(Flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(Flags.testFlag(Qt::CustomizeWindowHint));
    for (const Qt::WindowType Absent :
         {Qt::WindowSystemMenuHint, Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
          Qt::WindowCloseButtonHint, Qt::WindowContextHelpButtonHint}) {
        EXPECT_FALSE(Flags.testFlag(Absent)) << Absent;
    }

    auto* Hide = FindOne<QPushButton>(QStringLiteral("bnClose"));
    ASSERT_NE(Hide, nullptr);
    EXPECT_EQ(Hide->text(), QStringLiteral("Hide"));
    EXPECT_EQ(Hide->geometry(), QRect(254, 120, 75, 25));

    // Stacked from 8 pixels below the top, spanning the width within 8-pixel margins, above
    // the button; an ampersand is a plain character.
    int Below = 8;
    for (const char* Name : LabelNames) {
        SCOPED_TRACE(Name);
        QLabel* Shown = Label(Name);
        ASSERT_NE(Shown, nullptr);
        EXPECT_EQ(Shown->x(), 8);
        EXPECT_EQ(Shown->width(), 337 - 16);
        EXPECT_GE(Shown->y(), Below);
        Below = Shown->geometry().bottom() + 1;
        EXPECT_EQ(Shown->textFormat(), Qt::PlainText);
        EXPECT_EQ(Shown->buddy(), nullptr);
    }
    EXPECT_EQ(Label(LabelNames[0])->y(), 8);
    EXPECT_LE(Below, 120);
}

// "Show status" shows the window centred and in front, "Hide" hides it; the texts stay up to
// date either way and the tray icon stays. Closing it from the window manager only hides it.
TEST_F(TrayWindowTest, ShowStatusAndHide) {
    Window().ShowWelcomeInfo(0, true, "2.7.1031.40961");
    Choose("miShowstatus");
    ASSERT_TRUE(WaitUntil([&] { return Window().isVisible(); }));
    const QRect Screen = Window().screen()->availableGeometry();
    const QRect Frame = Window().frameGeometry();
    EXPECT_LE((Frame.center() - Screen.center()).manhattanLength(), 1)
        << Frame.x() << "," << Frame.y() << " " << Frame.width() << "x" << Frame.height();
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
// each verdict goes to the monitor under the wait cursor and removes its decision.
TEST_F(TrayWindowTest, DecisionsFromTheSocketAreAskedAndAnswered) {
    ASSERT_TRUE(WaitUntilServing());
    auto Add = [Port = FDecisionPort](std::string Query) {
        return std::async(std::launch::async, [Port, Query] {
            std::string Reply;
            return suitesim::SendAddToTray(Query, Reply, Port) ? Reply : "failed: " + Reply;
        });
    };
    auto Ready = [](std::future<std::string>& Reply) {
        return Reply.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    };
    auto Shown = [] {
        return dialogs::DecisionDialog() != nullptr && dialogs::DecisionDialog()->Form() &&
               dialogs::DecisionDialog()->Form()->isVisible();
    };
    auto ItemLine = [] {
        return taskdialog::test::PlainLines(
                   *dialogs::DecisionDialog()->Form()->ContentView()->document())
            .value(dialogs::TKorvexPlimmDecisionDialog::LineItem);
    };

    auto First =
        Add("module=m&information=i&item=C%3A%5Cevil.exe&decisiontype=decision&logclass=added");
    ASSERT_TRUE(WaitUntil([&] { return Ready(First); }));
    const std::string FirstReply = First.get();
    EXPECT_EQ(FirstReply.rfind("id=0", 0), 0u) << FirstReply;
    ASSERT_TRUE(Shown());
    EXPECT_EQ(ItemLine(), QStringLiteral("Item: C:\\evil.exe"));

    auto Second =
        Add("module=m&information=i&item=C%3A%5Cother.exe&decisiontype=decision&logclass=changed");
    ASSERT_TRUE(WaitUntil([&] { return Ready(Second); }));
    EXPECT_EQ(Second.get().rfind("id=1", 0), 0u);
    ASSERT_EQ(Window().DecisionDaemon().Decisions().Count(), 2);

    // The message pass inside the verdict runs this timer while the wait cursor is up.
    std::optional<Qt::CursorShape> CursorDuringVerdict;
    QTimer::singleShot(0, [&] {
        const QCursor* Cursor = QApplication::overrideCursor();
        CursorDuringVerdict = Cursor != nullptr ? Cursor->shape() : Qt::ArrowCursor;
    });
    taskdialog::test::Click(dialogs::DecisionDialog()->Form()->CustomButton(2)); // Allow
    EXPECT_EQ(CursorDuringVerdict, Qt::WaitCursor);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(FMonitor.Requests().size(), 1u);
    EXPECT_NE(FMonitor.Requests()[0].find("GET /applydecision?decisionid=0&decision=allow "),
              std::string::npos);
    EXPECT_EQ(Window().DecisionDaemon().Decisions().Count(), 1);
    ASSERT_TRUE(WaitUntil([&] { return Shown() && ItemLine().endsWith("other.exe"); }));

    taskdialog::test::Click(dialogs::DecisionDialog()->Form()->CustomButton(3)); // Deny
    ASSERT_EQ(FMonitor.Requests().size(), 2u);
    EXPECT_NE(FMonitor.Requests()[1].find("GET /applydecision?decisionid=1&decision=deny "),
              std::string::npos);
    EXPECT_EQ(Window().DecisionDaemon().Decisions().Count(), 0);
    EXPECT_TRUE(WaitUntil([&] { return !Shown(); }));
}

} // namespace
} // namespace vx::app::test
