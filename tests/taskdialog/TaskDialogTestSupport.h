#pragma once

#include "taskdialog/JSTaskDialogForm.h"

#include <functional>

#include <QString>
#include <QStringList>

class QAbstractButton;
class QTextDocument;
class QWidget;

namespace vx::taskdialog::test {

// Runs Action on the task-dialog window that is running modally, as soon as it is; for
// answering a modal Execute from inside its loop.
void WhenModal(std::function<void(TJSTaskDialogForm& Form)> Action);

// A real left click on the button.
void Click(QAbstractButton* Button);
// A real key press on the window.
void Press(QWidget* Window, int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier);

// The text of a document with its styles: "{b}" bold, "{i}" italic, "{u}" underlined,
// "{a=target}" a link, combined like "{bi}"; "{}" marks the return to plain text. Line
// breaks show as "\n".
QString Describe(const QTextDocument& Document);
// The same of the Qt rich text.
QString DescribeHtml(const QString& Html);

// The plain-text lines of a view's document.
QStringList PlainLines(const QTextDocument& Document);

} // namespace vx::taskdialog::test
