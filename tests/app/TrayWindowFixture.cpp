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

void PrintTo(const TLook& look, std::ostream* out) {
    *out << (look.Visible ? "visible" : "hidden") << ", tooltip \"" << look.ToolTip.toStdString()
         << "\"";
    for (qsizetype i = 0; i < look.Texts.size(); ++i) {
        *out << ", \"" << look.Texts[i].toStdString() << "\""
             << (look.Bold[static_cast<std::size_t>(i)] ? " bold" : "");
    }
}

void TrayWindowTest::SetUp() {
    FServices = std::make_unique<TTrayServices>(VX_DEFAULT_PREFIX, VX_SCANLIB_DLL);
    TTrayOptions options;
    FDecisionPort = ::vx::test::FreeLoopbackPort();
    options.DecisionPort = FDecisionPort;
    options.VerdictPort = FMonitor.Port();
    options.MakeLoader = [] { return std::unique_ptr<TWelcomeInfoLoaderThread>(); };
    FWindow = std::make_unique<TFormPlimmTrayStatus>(std::move(options));
    QObject::connect(FWindow.get(), &TFormPlimmTrayStatus::ExitConfirmed, [this] { ++FExits; });
}

void TrayWindowTest::TearDown() {
    FWindow.reset();
    FServices.reset();
}

QString TrayWindowTest::ToolTip() const {
    return FWindow->TrayIcon().toolTip();
}

TLook TrayWindowTest::Look() const {
    TLook look;
    for (const char* name : LabelNames) {
        const QLabel* shown = Label(name);
        look.Texts.append(shown != nullptr ? shown->text() : QStringLiteral("(missing)"));
        look.Bold.push_back(shown != nullptr && shown->font().bold());
    }
    look.ToolTip = ToolTip();
    look.Visible = FWindow->isVisible();
    return look;
}

void TrayWindowTest::Choose(const char* itemName) {
    auto* menu = FindOne<QMenu>(QStringLiteral("PopupTray"));
    auto* item = FindOne<QAction>(QString::fromLatin1(itemName));
    ASSERT_NE(menu, nullptr);
    ASSERT_NE(item, nullptr);
    menu->popup(QPoint(40, 40));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(menu));
    const QRect where = menu->actionGeometry(item);
    ASSERT_TRUE(where.isValid()) << itemName;
    QTest::mouseMove(menu, where.center());
    QTest::mouseClick(menu, Qt::LeftButton, {}, where.center());
    EXPECT_TRUE(WaitUntil([menu] { return !menu->isVisible(); })) << itemName;
}

bool TrayWindowTest::WaitUntilServing() const {
    return app::test::WaitUntilServing(FDecisionPort, TrayServiceName);
}

} // namespace vx::app::test
