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
#include <QPushButton>

namespace {

using namespace vx;

constexpr const char* DecisionFile = "decision-dialog.png";

bool RenderDecisionDialog(const QDir& Folder) {
    decisions::TDecisionList List;
    List.Add({"decisiontype=information", "logclass=added",
              "item=C:\\Windows\\System32\\drivers\\etc\\hosts"});
    List.Add({"decisiontype=decision", "logclass=changed",
              "item=HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater",
              "identifiedas=Trojan.Autorun.Generic", "threatlevel=4",
              "olddata=C:\\Program Files\\Vendor\\updater.exe",
              "newdata=C:\\Users\\Public\\svchost32.exe /silent"});
    List.Add({"decisiontype=filescaninfo", "item=C:\\Downloads\\setup.exe"});
    dialogs::ShowPlimmDecisions(&List, {});
    taskdialog::TJSTaskDialogForm* Form = dialogs::DecisionDialog()->Form();
    if (Form == nullptr) {
        return false;
    }
    Form->CustomButton(1)->click(); // Next: the second of three
    const bool Saved = test::SaveScreenshot(*Form, Folder, DecisionFile);
    dialogs::FreeDecisionDialog();
    return Saved;
}

} // namespace

int main(int argc, char** argv) {
    vx::test::PreferOffscreen();
    QApplication Application(argc, argv);
    int ExitCode = 0;
    const auto Chosen = vx::test::ScreenshotFolder(argc, argv, "vx_dialog_screenshots", ExitCode);
    if (!Chosen) {
        return ExitCode;
    }
    const QDir& Folder = *Chosen;
    product::ApplyProductIdentity();
    decisions::RegisterDialogTexts(nullptr);
    const bool Done = RenderDecisionDialog(Folder);
    decisions::FreeDialogTexts();
    return Done ? 0 : 1;
}
