// Renders the decision dialog (the second of three decisions) offscreen to a PNG file:
// vx_dialog_screenshots <output folder>.
#include "decisions/DecisionList.h"
#include "decisions/DialogTexts.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "product/ProductIcon.h"
#include "support/ScreenshotTool.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

namespace {

using namespace vx;

constexpr const char* DecisionFile = "decision-dialog.png";

bool RenderDecisionDialog(const QDir& folder) {
    const dialogs::TDecisionDialogOwner owner;
    decisions::TDecisionList list;
    list.Add({"decisiontype=information", "logclass=added",
              "item=C:\\Windows\\System32\\drivers\\etc\\hosts"});
    list.Add({"decisiontype=decision", "logclass=changed",
              "item=HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater",
              "identifiedas=Trojan.Autorun.Generic", "threatlevel=4",
              "olddata=C:\\Program Files\\Vendor\\updater.exe",
              "newdata=C:\\Users\\Public\\svchost32.exe /silent"});
    list.Add({"decisiontype=filescaninfo", "item=C:\\Downloads\\setup.exe"});
    dialogs::ShowPlimmDecisions(&list, {});
    taskdialog::TJSTaskDialogForm* form = dialogs::DecisionDialog()->Form();
    if (form == nullptr) {
        return false;
    }
    form->CustomButton(1)->click(); // Next: the second of three
    // As the user sees it once Allow and Deny take input.
    QEventLoop settle;
    QTimer::singleShot(dialogs::TKorvexPlimmDecisionDialog::AnswerDelay + 100, &settle,
                       &QEventLoop::quit);
    settle.exec();
    return test::SaveScreenshot(*form, folder, DecisionFile);
}

} // namespace

int main(int argc, char** argv) {
    vx::test::PreferOffscreen();
    QApplication application(argc, argv);
    int exitCode = 0;
    const auto chosen = vx::test::ScreenshotFolder(argc, argv, "vx_dialog_screenshots", exitCode);
    if (!chosen) {
        return exitCode;
    }
    const QDir& folder = *chosen;
    product::ApplyProductIdentity();
    decisions::RegisterDialogTexts(nullptr);
    const bool done = RenderDecisionDialog(folder);
    decisions::FreeDialogTexts();
    return done ? 0 : 1;
}
