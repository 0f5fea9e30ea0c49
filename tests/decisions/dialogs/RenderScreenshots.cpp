// Renders the decision dialog (the second of three decisions) and the exit question offscreen
// to PNG files: vx_dialog_screenshots <output folder>.
#include "decisions/DecisionList.h"
#include "decisions/DialogTexts.h"
#include "decisions/dialogs/JSTaskDialogForm.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "decisions/dialogs/KorvexIcon.h"
#include "support/ScreenshotTool.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QTimer>

namespace {

using namespace vx;

constexpr const char* ExitQuestion =
    "Closing this icon and menu will not stop system monitoring, changes will just happen "
    "without notice afterwards. To shut down the monitoring instead, disabled it by unchecking "
    "\"Live Protection\" instead. Are you sure you want to exit the notifications only?";
constexpr const char* DecisionFile = "decision-dialog.png";
constexpr const char* ExitFile = "exit-question.png";

bool Save(QWidget& Window, const QDir& Folder, const char* Name) {
    const QString Path = Folder.filePath(QString::fromLatin1(Name));
    if (!Window.grab().save(Path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(Path));
        return false;
    }
    std::printf("%s\n", qPrintable(Path));
    return true;
}

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
    dialogs::TJSTaskDialogForm* Form = dialogs::DecisionDialog()->Form();
    if (Form == nullptr) {
        return false;
    }
    Form->CustomButton(1)->click(); // Next: the second of three
    const bool Saved = Save(*Form, Folder, DecisionFile);
    dialogs::FreeDecisionDialog();
    return Saved;
}

bool RenderExitQuestion(const QDir& Folder) {
    bool Saved = false;
    QTimer::singleShot(0, [&] {
        auto* Form = qobject_cast<dialogs::TJSTaskDialogForm*>(QApplication::activeModalWidget());
        if (Form != nullptr) {
            Saved = Save(*Form, Folder, ExitFile);
            Form->CommonButton(dialogs::cbNo)->click();
        }
    });
    dialogs::KorvexMessageDlg(ExitQuestion, 0, {dialogs::cbYes, dialogs::cbNo}, 0, dialogs::cbNo);
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
    QApplication::setApplicationDisplayName(QStringLiteral("Korvex - Thornet 2 Tray"));
    QApplication::setWindowIcon(dialogs::KorvexMainIcon());
    decisions::RegisterDialogTexts(nullptr);
    const bool Done = RenderDecisionDialog(Folder) && RenderExitQuestion(Folder);
    decisions::FreeDialogTexts();
    return Done ? 0 : 1;
}
