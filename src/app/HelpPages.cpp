#include "app/HelpPages.h"

#include "platform/Files.h"
#include "taskdialog/JSDialog.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>

namespace vx::app {
namespace {

constexpr const char* HelpFolderName = "help";
constexpr const char* ContentsPageName = "index.html";
constexpr const char* ContextPagePrefix = "context-";
constexpr const char* PageSuffix = ".html";

// A keyword names a page only when it is a plain name: no separator, no "..".
bool IsPlainName(const QString& keyword) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-]+$"));
    return plain.match(keyword).hasMatch();
}

} // namespace

QString HelpFolder() {
    return QString::fromStdString(win::ExecutableFolder()) + HelpFolderName;
}

QString HelpContentsPage(const QString& folder) {
    return folder + '/' + ContentsPageName;
}

QString HelpTopicPage(const QString& folder, taskdialog::THelpType type, int context,
                      const QString& keyword) {
    QString name;
    if (type == taskdialog::htKeyword && IsPlainName(keyword)) {
        name = keyword + PageSuffix;
    } else if (type == taskdialog::htContext && context > 0) {
        name = ContextPagePrefix + QString::number(context) + PageSuffix;
    }
    const QString page = folder + '/' + name;
    return !name.isEmpty() && QFileInfo(page).isFile() ? page : HelpContentsPage(folder);
}

bool OpenHelpPage(const QString& page) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void InstallHelp() {
    taskdialog::SetJSHelpHandler(
        [](taskdialog::THelpType type, int context, const QString& keyword) {
            OpenHelpPage(HelpTopicPage(HelpFolder(), type, context, keyword));
        });
}

} // namespace vx::app
