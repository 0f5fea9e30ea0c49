#include "TrayWindowFixture.h"

#include "decisions/dialogs/KorvexDialogs.h"
#include "support/LoopbackPort.h"

#include <ostream>

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTest>

namespace vx::app::test {

namespace {
constexpr const char* TrayServiceName = "VXTray";
}

void PrintTo(const TLook& Look, std::ostream* Out) {
    *Out << (Look.Visible ? "visible" : "hidden") << ", tooltip \"" << Look.ToolTip.toStdString()
         << "\"";
    for (qsizetype I = 0; I < Look.Texts.size(); ++I) {
        *Out << ", \"" << Look.Texts[I].toStdString() << "\""
             << (Look.Bold[static_cast<std::size_t>(I)] ? " bold" : "");
    }
}

void TrayWindowTest::SetUp() {
    FServices = std::make_unique<TTrayServices>(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
    TTrayOptions Options;
    FDecisionPort = ::vx::test::FreeLoopbackPort();
    Options.DecisionPort = FDecisionPort;
    Options.VerdictPort = FMonitor.Port();
    Options.MakeLoader = [] { return std::unique_ptr<TWelcomeInfoLoaderThread>(); };
    FWindow = std::make_unique<TFormPlimmTrayStatus>(std::move(Options));
    QObject::connect(FWindow.get(), &TFormPlimmTrayStatus::ExitConfirmed, [this] { ++FExits; });
}

void TrayWindowTest::TearDown() {
    // As the program ends: the decision dialog goes before the window.
    dialogs::FreeDecisionDialog();
    FWindow.reset();
    FServices.reset();
}

QString TrayWindowTest::ToolTip() const {
    return FWindow->TrayIcon().toolTip();
}

TLook TrayWindowTest::Look() const {
    TLook Look;
    for (const char* Name : LabelNames) {
        const QLabel* Shown = Label(Name);
        Look.Texts.append(Shown != nullptr ? Shown->text() : QStringLiteral("(missing)"));
        Look.Bold.push_back(Shown != nullptr && Shown->font().bold());
    }
    Look.ToolTip = ToolTip();
    Look.Visible = FWindow->isVisible();
    return Look;
}

void TrayWindowTest::Choose(const char* ItemName) {
    auto* Menu = FindOne<QMenu>(QStringLiteral("PopupTray"));
    auto* Item = FindOne<QAction>(QString::fromLatin1(ItemName));
    ASSERT_NE(Menu, nullptr);
    ASSERT_NE(Item, nullptr);
    Menu->popup(QPoint(40, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Menu));
    const QRect Where = Menu->actionGeometry(Item);
    ASSERT_TRUE(Where.isValid()) << ItemName;
    QTest::mouseMove(Menu, Where.center());
    QTest::mouseClick(Menu, Qt::LeftButton, {}, Where.center());
    EXPECT_TRUE(WaitUntil([Menu] { return !Menu->isVisible(); })) << ItemName;
}

bool TrayWindowTest::WaitUntilServing() const {
    return app::test::WaitUntilServing(FDecisionPort, TrayServiceName);
}

} // namespace vx::app::test
