#include "housekeeping/WindowClass.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vx::housekeeping {
namespace {

constexpr const char* TestClassName = "vxTestWindow";

struct TReceived {
    HWND Window;
    UINT Message;
    WPARAM WParam;
    LPARAM LParam;
};
std::vector<TReceived> Received;

void RecordingProc(TWindow& window, UINT message, WPARAM wParam, LPARAM lParam) {
    Received.push_back({window.Handle(), message, wParam, lParam});
}

class TTestWindow : public TWindow {
public:
    explicit TTestWindow(const char* className = TestClassName) : TWindow(className) {}
    void SetTimer(WPARAM /*id*/, UINT /*elapse*/) override {}
    void SetControlText(HWND /*control*/, const std::string& /*text*/) override {}
    void PostQuitMessage(int /*exitCode*/) override {}
    void SetVisible(bool visible) override { Visible = visible; }
    bool Visible = false;
};

class WindowClasses : public ::testing::Test {
protected:
    WindowClasses() {
        Received.clear();
        TWindowClass windowClass;
        windowClass.ClassName = TestClassName;
        windowClass.WindowProc = RecordingProc;
        windowClass.Cursor = IDC_ARROW;
        EXPECT_TRUE(RegisterWindowClass(windowClass));
    }
    ~WindowClasses() override { UnregisterWindowClass(TestClassName); }
};

TEST_F(WindowClasses, ANameIsRegisteredOnceWithoutRegardToCase) {
    TWindowClass again;
    again.ClassName = "VXTESTWINDOW";
    again.WindowProc = RecordingProc;
    EXPECT_FALSE(RegisterWindowClass(again));

    TWindowClass found;
    ASSERT_TRUE(GetWindowClass("vxtestwindow", found));
    EXPECT_EQ(found.ClassName, TestClassName);
    EXPECT_EQ(found.Cursor, IDC_ARROW) << "the first registration stays";

    EXPECT_TRUE(UnregisterWindowClass("VxTestWindow"));
    EXPECT_FALSE(UnregisterWindowClass(TestClassName));
    EXPECT_FALSE(GetWindowClass(TestClassName, found));
}

TEST_F(WindowClasses, ARecordWithoutNameOrProcedureIsRefused) {
    TWindowClass nameless;
    nameless.WindowProc = RecordingProc;
    EXPECT_FALSE(RegisterWindowClass(nameless));
    TWindowClass withoutProcedure;
    withoutProcedure.ClassName = "vxNoProcedure";
    EXPECT_FALSE(RegisterWindowClass(withoutProcedure));
    TWindowClass found;
    EXPECT_FALSE(GetWindowClass("vxNoProcedure", found));
}

TEST_F(WindowClasses, AWindowNeedsItsClassRegistered) {
    try {
        TTestWindow window("vxUnregistered");
        ADD_FAILURE() << "a window of an unregistered class was made";
    } catch (const EWindowClassError& error) {
        EXPECT_NE(std::string(error.what()).find("vxUnregistered"), std::string::npos);
    }
}

TEST_F(WindowClasses, MessagesGoToTheProcedureOfTheClass) {
    TTestWindow window;
    window.SendMessage(WM_COMMAND, 1, 42);
    ASSERT_EQ(Received.size(), 1U);
    EXPECT_EQ(Received[0].Window, window.Handle());
    EXPECT_EQ(Received[0].Message, WM_COMMAND);
    EXPECT_EQ(Received[0].WParam, 1U);
    EXPECT_EQ(Received[0].LParam, 42);
}

TEST_F(WindowClasses, AHandleNamesItsWindowUntilTheWindowIsGone) {
    HWND goneHandle = 0;
    {
        TTestWindow first;
        TTestWindow second;
        EXPECT_NE(first.Handle(), 0U);
        EXPECT_NE(first.Handle(), second.Handle());
        EXPECT_EQ(WindowFromHandle(second.Handle()), &second);

        EXPECT_TRUE(ShowWindow(first.Handle(), SW_SHOW));
        EXPECT_TRUE(first.Visible);
        EXPECT_TRUE(ShowWindow(first.Handle(), SW_HIDE));
        EXPECT_FALSE(first.Visible);
        EXPECT_FALSE(second.Visible) << "only the window named";
        goneHandle = first.Handle();
    }
    EXPECT_EQ(WindowFromHandle(goneHandle), nullptr);
    EXPECT_FALSE(ShowWindow(goneHandle, SW_HIDE));
    TTestWindow later;
    EXPECT_NE(later.Handle(), goneHandle) << "handles are never given twice";
    EXPECT_FALSE(ShowWindow(0, SW_HIDE));
}

} // namespace
} // namespace vx::housekeeping
