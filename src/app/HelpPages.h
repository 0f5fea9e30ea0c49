#pragma once

#include "taskdialog/JSTypes.h"

#include <QString>

// The program's help: static pages in the folder "help" beside the executable, opened in the
// user's browser. A dialog asks for a topic by keyword (the page `<keyword>.html`) or by
// number (the page `context-<number>.html`).
namespace vx::app {

// The folder of the pages, beside the executable.
QString HelpFolder();

// The page of a topic in `folder`; the contents page when the topic has none, or when the
// keyword is not a plain name (it could lead out of the folder).
QString HelpTopicPage(const QString& folder, taskdialog::THelpType type, int context,
                      const QString& keyword);
// The contents page in `folder`.
QString HelpContentsPage(const QString& folder);

// Opens `page` in the user's browser; false when the desktop could not.
bool OpenHelpPage(const QString& page);

// Makes every dialog's Help button and F1 open its topic.
void InstallHelp();

} // namespace vx::app
