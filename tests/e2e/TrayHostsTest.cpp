// The real VXTray on each kind of notification area of a real X desktop: none at all, an
// XEmbed tray, and a StatusNotifier host on a private session bus. Its windows are titled
// with the suite's name alone, as the window manager shows them.
#include "support/ChildProcess.h"
#include "support/LoopbackPort.h"
#include "support/TempPrefix.h"
#include "support/X11Session.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vx::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;

const fs::path BinDir = VX_BIN_DIR;
constexpr int TrayPort = 21324;
constexpr const char* SuiteTitle = "Korvex - Thornet 2";
constexpr const char* ApplicationTitle = "Korvex - Thornet 2 Tray";
constexpr const char* ConsoleStarted = "VXMain.exe started";
constexpr const char* NoBus =
    "dbus-daemon and dbus-send are not installed (scripts/install-deps installs them)";
// Bounds of the waits, not expectations: a loaded machine may need most of them.
constexpr auto StartWait = 20s;
constexpr auto EndWait = 10s;
// Long enough for a second start of the console to show, were there one.
constexpr auto SecondStartWait = 2s;

class TDesktopEnvironment : public ::testing::Environment {
public:
    void SetUp() override { TX11Session::Shared().Start(); }
};

[[maybe_unused]] ::testing::Environment* const Desktop =
    ::testing::AddGlobalTestEnvironment(new TDesktopEnvironment);

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

class TrayHosts : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Session().Available()) {
            GTEST_SKIP() << "no X desktop for real windows: " << Session().Why();
        }
        ASSERT_TRUE(LoopbackBindable(TrayPort)) << "port " << TrayPort << " is taken";
        // No session bus unless a test brings its own: no StatusNotifier host either.
        FEnvironment = {{"VXTRAY_PREFIX", FPrefix.Dir().string()},
                        {"DISPLAY", Session().Display()},
                        {"QT_QPA_PLATFORM", ""},
                        {"WAYLAND_DISPLAY", ""},
                        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/vx-no-bus"}};
        FSuite = std::make_unique<TChildProcess>(BinDir / "suite-sim", std::vector<std::string>{},
                                                 FEnvironment);
        ASSERT_TRUE(FSuite->WaitForLine("listening on 127.0.0.1:21325", StartWait))
            << FSuite->Output();
    }
    void TearDown() override {
        if (FTray) {
            FTray->Signal(SIGTERM);
            FTray->Wait(EndWait);
        }
        Session().StartTray();
    }

    static TX11Session& Session() { return TX11Session::Shared(); }

    TChildProcess& StartTray() {
        FTray = std::make_unique<TChildProcess>(BinDir / "VXTray", std::vector<std::string>{},
                                                FEnvironment);
        EXPECT_TRUE(PollUntil([] { return LoopbackListening(TrayPort); }, StartWait))
            << FTray->Output();
        return *FTray;
    }

    std::pair<int, std::string> Run(const fs::path& program, const std::vector<std::string>& args) {
        return TChildProcess::Run(program, args, FEnvironment);
    }

    // The tray's visible windows, optionally only those whose title holds `name`.
    std::vector<unsigned long> VisibleWindows(const std::string& name = {}) {
        std::vector<std::string> args{"search", "--onlyvisible", "--pid",
                                      std::to_string(FTray->Pid())};
        if (!name.empty()) {
            args.insert(args.end(), {"--name", name});
        }
        std::vector<unsigned long> windows;
        std::stringstream lines(Session().XdoTool(args).value_or(""));
        std::string line;
        while (std::getline(lines, line)) {
            if (!line.empty()) {
                windows.push_back(std::stoul(line));
            }
        }
        return windows;
    }
    // The first visible window titled with the suite's name that is not in `except`.
    unsigned long WaitForTitledWindow(const std::vector<unsigned long>& except = {}) {
        unsigned long found = 0;
        PollUntil(
            [&] {
                for (const unsigned long window : VisibleWindows("Thornet")) {
                    if (std::find(except.begin(), except.end(), window) == except.end()) {
                        found = window;
                        return true;
                    }
                }
                return false;
            },
            StartWait);
        return found;
    }
    // The title the window manager shows (_NET_WM_NAME).
    std::string Title(unsigned long window) {
        const auto [code, text] =
            Run(*FindProgram("xprop"), {"-id", std::to_string(window), "-notype", "_NET_WM_NAME"});
        const auto open = text.find('"');
        const auto close = text.rfind('"');
        return code == 0 && open != close ? text.substr(open + 1, close - open - 1) : text;
    }
    // The middle of a window on the screen.
    std::pair<int, int> Middle(unsigned long window) {
        std::stringstream lines(
            Session()
                .XdoTool({"getwindowgeometry", "--shell", std::to_string(window)})
                .value_or(""));
        std::map<std::string, int> values;
        std::string line;
        while (std::getline(lines, line)) {
            if (const auto equals = line.find('='); equals != std::string::npos) {
                values[line.substr(0, equals)] = std::stoi(line.substr(equals + 1));
            }
        }
        return {values["X"] + values["WIDTH"] / 2, values["Y"] + values["HEIGHT"] / 2};
    }
    void AddDecision() {
        const auto [code, reply] = Run(
            BinDir / "suite-sim", {"--add", "module=m&information=i&decisiontype=decision&item=x"});
        ASSERT_EQ(code, 0) << reply;
    }

    // A private session bus with our StatusNotifier host on it, for VXTray started later;
    // the host's process, or nullptr without dbus-daemon and dbus-send.
    TChildProcess* StartStatusNotifierHost(const std::vector<std::string>& args) {
        const auto busDaemon = FindProgram("dbus-daemon");
        if (!busDaemon || !FindProgram("dbus-send")) {
            return nullptr;
        }
        Session().StopTray();
        FBus = std::make_unique<TChildProcess>(
            *busDaemon, std::vector<std::string>{"--session", "--nofork", "--print-address=1"});
        EXPECT_TRUE(FBus->WaitForLine("unix:", StartWait)) << FBus->Output();
        std::string address = FBus->Output().substr(FBus->Output().find("unix:"));
        FEnvironment["DBUS_SESSION_BUS_ADDRESS"] = address.substr(0, address.find('\n'));
        auto hostEnvironment = FEnvironment;
        hostEnvironment["QT_QPA_PLATFORM"] = "xcb";
        FHost = std::make_unique<TChildProcess>(BinDir / "vx_sni_watcher", args, hostEnvironment);
        EXPECT_TRUE(FHost->WaitForLine("watching", StartWait)) << FHost->Output();
        return FHost.get();
    }
    // The service of the first item that registered with the host; empty when none did.
    std::string WaitForItem(TChildProcess& host) {
        if (!host.WaitForLine("item ", StartWait)) {
            return {};
        }
        std::string item = host.Output().substr(host.Output().find("item ") + 5);
        return item.substr(0, item.find('\n'));
    }

    TTempPrefix FPrefix{BinDir / "prefix"};
    TChildProcess::TEnvironment FEnvironment;
    std::unique_ptr<TChildProcess> FSuite;
    std::unique_ptr<TChildProcess> FBus;
    std::unique_ptr<TChildProcess> FHost;
    std::unique_ptr<TChildProcess> FTray;
};

// No notification area: the status window shows at once, its right click offers the tray
// menu, and Exit there asks, under the suite's name, and ends the program.
TEST_F(TrayHosts, WithoutATrayTheWindowShowsAndItsMenuReachesExit) {
    Session().StopTray();
    TChildProcess& tray = StartTray();
    const unsigned long window = WaitForTitledWindow();
    ASSERT_NE(window, 0U) << tray.Output();
    EXPECT_EQ(Title(window), SuiteTitle);

    const auto [x, y] = Middle(window);
    ASSERT_TRUE(Session().ClickAt(x, y, 3));
    ASSERT_TRUE(PollUntil([&] { return VisibleWindows().size() > 1; }, StartWait));
    ASSERT_TRUE(Session().Keys({"Up", "Return"})); // the last entry: Exit
    const unsigned long question = WaitForTitledWindow({window});
    ASSERT_NE(question, 0U) << tray.Output();
    EXPECT_EQ(Title(question), SuiteTitle);
    ASSERT_TRUE(Session().Activate(question));
    ASSERT_TRUE(Session().Keys({"alt+y"}));
    EXPECT_EQ(tray.Wait(EndWait), 0) << tray.Output();
}

// An XEmbed tray: the icon's double click starts the main console, once; the status window
// stays hidden.
TEST_F(TrayHosts, AnXEmbedDoubleClickStartsTheMainConsoleOnce) {
    TChildProcess& tray = StartTray();
    std::vector<unsigned long> icons;
    ASSERT_TRUE(PollUntil([&] { return !(icons = VisibleWindows()).empty(); }, StartWait))
        << tray.Output();
    ASSERT_EQ(icons.size(), 1U) << "the icon alone shows";
    const auto [x, y] = Middle(icons.front());
    ASSERT_TRUE(Session().ClickAt(x, y, 1, 2));
    ASSERT_TRUE(tray.WaitForLine(ConsoleStarted, StartWait)) << tray.Output();
    std::this_thread::sleep_for(SecondStartWait);
    EXPECT_EQ(Count(tray.Output(), ConsoleStarted), 1U) << tray.Output();
}

// A StatusNotifier host (KDE Plasma, GNOME's AppIndicator extension) on a bus of the test's
// own: the item is titled with the application's title; its activation, a single click there,
// starts the main console, and while a decision is pending brings up the decision dialog.
TEST_F(TrayHosts, AStatusNotifierActivationOpensTheConsoleOrTheDecisions) {
    TChildProcess* watcher = StartStatusNotifierHost({});
    if (watcher == nullptr) {
        GTEST_SKIP() << NoBus;
    }
    TChildProcess& tray = StartTray();
    const std::string item = WaitForItem(*watcher);
    ASSERT_FALSE(item.empty()) << watcher->Output() << tray.Output();
    const auto call = [&](const std::vector<std::string>& args) {
        std::vector<std::string> all{"--session", "--print-reply", "--dest=" + item,
                                     "/StatusNotifierItem"};
        all.insert(all.end(), args.begin(), args.end());
        return Run(*FindProgram("dbus-send"), all);
    };
    const auto [titleCode, title] = call({"org.freedesktop.DBus.Properties.Get",
                                          "string:org.kde.StatusNotifierItem", "string:Title"});
    EXPECT_EQ(titleCode, 0) << title;
    EXPECT_THAT(title, HasSubstr(std::string("\"") + ApplicationTitle + "\""));
    EXPECT_TRUE(VisibleWindows("Thornet").empty()) << "a host is there: the window stays hidden";

    const std::vector<std::string> activate{"org.kde.StatusNotifierItem.Activate", "int32:0",
                                            "int32:0"};
    ASSERT_EQ(call(activate).first, 0);
    ASSERT_TRUE(tray.WaitForLine(ConsoleStarted, StartWait)) << tray.Output();

    AddDecision();
    const unsigned long dialog = WaitForTitledWindow();
    ASSERT_NE(dialog, 0U) << tray.Output();
    EXPECT_EQ(Title(dialog), SuiteTitle);
    // With a decision pending the activation is the decision dialog's, not the console's.
    ASSERT_EQ(call(activate).first, 0);
    EXPECT_EQ(WaitForTitledWindow(), dialog);
    std::this_thread::sleep_for(SecondStartWait);
    EXPECT_EQ(Count(tray.Output(), ConsoleStarted), 1U) << tray.Output();
}

// The host reads the item's icon and its menu, every entry with Live Protection checked, and
// draws them (tray-statusnotifier.png, the README's picture of such a desktop).
TEST_F(TrayHosts, AStatusNotifierHostShowsTheIconAndTheWholeMenu) {
    const fs::path picture = fs::path(VX_SCREENSHOT_DIR) / "tray-statusnotifier.png";
    fs::create_directories(picture.parent_path());
    fs::remove(picture);
    TChildProcess* host = StartStatusNotifierHost({"--screenshot", picture.string()});
    if (host == nullptr) {
        GTEST_SKIP() << NoBus;
    }
    TChildProcess& tray = StartTray();
    ASSERT_EQ(host->Wait(StartWait), 0) << host->Output() << tray.Output();
    EXPECT_THAT(host->Output(), HasSubstr("menu System Scan|File & Folder Scan|Update|-|"
                                          "Live Protection*|Show status|Exit\n"));
    EXPECT_TRUE(fs::exists(picture));
}

} // namespace
} // namespace vx::test
