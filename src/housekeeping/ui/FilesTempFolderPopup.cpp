#include "housekeeping/ui/FilesTempFolderPopup.h"

#include "housekeeping/TempFolderPopup.h"

#include <array>
#include <optional>
#include <utility>

#include <QCloseEvent>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <QVariant>

namespace vx::housekeeping::ui {

namespace {

// The dynamic property that names the window class a window of ours was made of.
constexpr const char* WindowClassProperty = "windowClass";

// The palette roles of the Windows system colours a class background can name.
std::optional<QPalette::ColorRole> SystemColourRole(std::uintptr_t colourIndex) {
    struct TColour {
        std::uintptr_t Index;
        QPalette::ColorRole Role;
    };
    static constexpr std::array<TColour, 6> colours{{
        {5, QPalette::Base},             // COLOR_WINDOW
        {8, QPalette::Text},             // COLOR_WINDOWTEXT
        {13, QPalette::Highlight},       // COLOR_HIGHLIGHT
        {14, QPalette::HighlightedText}, // COLOR_HIGHLIGHTTEXT
        {15, QPalette::Button},          // COLOR_BTNFACE
        {18, QPalette::ButtonText},      // COLOR_BTNTEXT
    }};
    for (const TColour& colour : colours) {
        if (colour.Index == colourIndex) {
            return colour.Role;
        }
    }
    return std::nullopt;
}

} // namespace

TFilesTempFolderPopup::TFilesTempFolderPopup(TStartTimer startTimer, QWidget* parent)
    : QDialog(parent), TWindow(TempFolderPopupClassName), FStartTimer(std::move(startTimer)),
      FNoHandle(NewWindowHandle()), FYesHandle(NewWindowHandle()),
      FNoAndDoNotAskAgainHandle(NewWindowHandle()) {
    const TWindowClass& windowClass = WindowClass();
    setProperty(WindowClassProperty, QString::fromStdString(windowClass.ClassName));
    if (windowClass.Cursor == IDC_ARROW) {
        setCursor(Qt::ArrowCursor);
    }
    // A brush value below 32 names a system colour: the value minus one.
    if (const auto role = SystemColourRole(windowClass.Background - 1)) {
        QPalette colours = palette();
        colours.setColor(QPalette::Window, colours.color(*role));
        setPalette(colours);
        setAutoFillBackground(true);
    }

    auto* buttons = new QHBoxLayout(this);
    FNoButton = AddButton(TempFolderButtonCaption(AnswerNo), FNoHandle);
    FYesButton = AddButton(TempFolderButtonCaption(AnswerYes), FYesHandle);
    FNoAndDoNotAskAgainButton =
        AddButton(TempFolderDoNotAskAgainCaption(), FNoAndDoNotAskAgainHandle);
    for (QPushButton* button : {FNoButton, FYesButton, FNoAndDoNotAskAgainButton}) {
        buttons->addWidget(button);
    }
    SendMessage(WM_CREATE, 0, 0);
}

TFilesTempFolderPopup::~TFilesTempFolderPopup() = default;

void TFilesTempFolderPopup::FillRecord(TTempFolderPopup& popup) const {
    popup.Window = Handle();
    popup.NoButton = FNoHandle;
    popup.YesButton = FYesHandle;
    popup.NoAndDoNotAskAgainButton = FNoAndDoNotAskAgainHandle;
}

int TFilesTempFolderPopup::RunMessageLoop() {
    show();
    if (!FQuitPosted) {
        QEventLoop loop;
        FLoop = &loop;
        loop.exec();
        FLoop = nullptr;
    }
    FQuitPosted = false;
    return FExitCode;
}

void TFilesTempFolderPopup::SetTimer(WPARAM id, UINT elapse) {
    const UINT period = TimerPeriod(elapse);
    auto fire = [this, id] { SendMessage(WM_TIMER, id, 0); };
    if (FStartTimer) {
        FStartTimer(id, period, std::move(fire));
    } else {
        StartQtTimer(id, period, std::move(fire));
    }
}

void TFilesTempFolderPopup::SetControlText(HWND control, const std::string& text) {
    const auto found = FButtons.find(control);
    if (found != FButtons.end()) {
        found->second->setText(QString::fromStdString(text));
    }
}

void TFilesTempFolderPopup::PostQuitMessage(int exitCode) {
    FQuitPosted = true;
    FExitCode = exitCode;
    if (FLoop != nullptr) {
        FLoop->exit(exitCode);
    }
}

void TFilesTempFolderPopup::SetVisible(bool visible) {
    setVisible(visible);
}

void TFilesTempFolderPopup::closeEvent(QCloseEvent* event) {
    event->ignore();
    SendMessage(WM_COMMAND, 0, static_cast<LPARAM>(FNoHandle));
}

void TFilesTempFolderPopup::reject() {
    SendMessage(WM_COMMAND, 0, static_cast<LPARAM>(FNoHandle));
}

QPushButton* TFilesTempFolderPopup::AddButton(const std::string& caption, HWND handle) {
    auto* button = new QPushButton(QString::fromStdString(caption), this);
    FButtons.emplace(handle, button);
    connect(button, &QPushButton::clicked, this,
            [this, handle] { SendMessage(WM_COMMAND, 0, static_cast<LPARAM>(handle)); });
    return button;
}

void TFilesTempFolderPopup::StartQtTimer(WPARAM id, UINT period, std::function<void()> fire) {
    QTimer*& timer = FTimers[id];
    if (timer == nullptr) {
        timer = new QTimer(this);
    }
    // A timer started again runs with its new period and callback only.
    timer->disconnect();
    connect(timer, &QTimer::timeout, this, std::move(fire));
    timer->start(static_cast<int>(period));
}

} // namespace vx::housekeeping::ui
