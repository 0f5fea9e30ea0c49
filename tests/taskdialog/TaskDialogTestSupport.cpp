#include "taskdialog/TaskDialogTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

namespace vx::taskdialog::test {
namespace {

constexpr int ModalPollMilliseconds = 10;

QString StyleOf(const QTextCharFormat& format) {
    QString style;
    if (format.fontWeight() >= QFont::Bold) {
        style += u'b';
    }
    if (format.fontItalic()) {
        style += u'i';
    }
    if (format.fontUnderline() && !format.isAnchor()) {
        style += u'u';
    }
    if (format.isAnchor()) {
        style += QStringLiteral("a=") + format.anchorHref();
    }
    return style;
}

} // namespace

bool WaitUntilAnswerable(const TJSTaskDialogForm& form) {
    return QTest::qWaitFor([&form] { return !form.InputDelayed(); }, 5000);
}

void WhenModal(std::function<void(TJSTaskDialogForm& form)> action) {
    QTimer::singleShot(0, [action = std::move(action)]() mutable {
        auto* form = qobject_cast<TJSTaskDialogForm*>(QApplication::activeModalWidget());
        if (form == nullptr) {
            QTimer::singleShot(ModalPollMilliseconds, [action = std::move(action)]() mutable {
                WhenModal(std::move(action));
            });
            return;
        }
        action(*form);
    });
}

void Click(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

void Press(QWidget* window, int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(window, static_cast<Qt::Key>(key), modifiers);
}

QString Describe(const QTextDocument& document) {
    QString text;
    QString current;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin()) {
            text += u'\n';
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QString style = StyleOf(fragment.charFormat());
            if (style != current) {
                text += u'{' + style + u'}';
                current = style;
            }
            text += fragment.text();
        }
    }
    return text.replace(QChar::LineSeparator, u'\n');
}

QString DescribeHtml(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    return Describe(document);
}

QStringList PlainLines(const QTextDocument& document) {
    return document.toPlainText().split(u'\n');
}

} // namespace vx::taskdialog::test
