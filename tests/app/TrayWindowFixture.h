#pragma once

#include "TrayHarness.h"
#include "app/FormPlimmTrayStatus.h"
#include "support/TestPeer.h"

#include <array>
#include <memory>
#include <vector>

#include <QLabel>
#include <QStringList>
#include <gtest/gtest.h>

namespace vx::app::test {

// The six status labels from the top.
inline constexpr std::array<const char*, 6> LabelNames{
    "labelScannerVersion",    "labelLastUpdate",    "labelDatabaseSize",
    "labelStatusPlimmLounge", "labelStatusScanner", "labelStatusIE"};

// What the window shows: the labels' texts and styles, the tooltip, whether it is visible.
struct TLook {
    QStringList Texts;
    std::vector<bool> Bold;
    QString ToolTip;
    bool Visible = false;
    bool operator==(const TLook&) const = default;
};
void PrintTo(const TLook& look, std::ostream* out);

// The window as start-up creates it, without a status loader, its decision service on a free
// port and its verdicts going to a recording monitor peer; ExitConfirmed counted.
class TrayWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    TFormPlimmTrayStatus& Window() { return *FWindow; }
    static QLabel* Label(const char* name) { return FindOne<QLabel>(QString::fromLatin1(name)); }
    QString ToolTip() const;
    TLook Look() const;

    // Opens PopupTray and clicks the entry with that object name.
    void Choose(const char* itemName);
    // Waits until the window's decision service answers its integrity probe.
    bool WaitUntilServing() const;

    std::unique_ptr<TTrayServices> FServices;
    ::vx::test::TTestPeer FMonitor{::vx::test::TTestPeer::Reply(200, "1")};
    int FDecisionPort = 0;
    int FExits = 0;
    std::unique_ptr<TFormPlimmTrayStatus> FWindow;
};

} // namespace vx::app::test
