#pragma once

#include "taskdialog/JSTaskDialogForm.h"

#include <functional>

#include <QString>
#include <QStringList>

class QAbstractButton;
class QTextDocument;
class QWidget;

namespace vx::taskdialog::test {

// Runs `action` on the task-dialog window that is running modally, as soon as it is; for
// answering a modal Execute from inside its loop.
void WhenModal(std::function<void(TJSTaskDialogForm& form)> action);

// Pumps until the window's guarded buttons take input again (at most a few seconds).
bool WaitUntilAnswerable(const TJSTaskDialogForm& form);

// A real left click on the button.
void Click(QAbstractButton* button);
// A real key press on the window.
void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// The text of a document with its styles: "{b}" bold, "{i}" italic, "{u}" underlined,
// "{a=target}" a link, combined like "{bi}"; "{}" marks the return to plain text. Line
// breaks show as "\n".
QString Describe(const QTextDocument& document);
// The same of the Qt rich text.
QString DescribeHtml(const QString& html);

// The plain-text lines of a view's document.
QStringList PlainLines(const QTextDocument& document);

} // namespace vx::taskdialog::test
