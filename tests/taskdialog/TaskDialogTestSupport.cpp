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

QString StyleOf(const QTextCharFormat& Format) {
    QString Style;
    if (Format.fontWeight() >= QFont::Bold) {
        Style += u'b';
    }
    if (Format.fontItalic()) {
        Style += u'i';
    }
    if (Format.fontUnderline() && !Format.isAnchor()) {
        Style += u'u';
    }
    if (Format.isAnchor()) {
        Style += QStringLiteral("a=") + Format.anchorHref();
    }
    return Style;
}

} // namespace

void WhenModal(std::function<void(TJSTaskDialogForm& Form)> Action) {
    QTimer::singleShot(0, [Action = std::move(Action)]() mutable {
        auto* Form = qobject_cast<TJSTaskDialogForm*>(QApplication::activeModalWidget());
        if (Form == nullptr) {
            QTimer::singleShot(ModalPollMilliseconds, [Action = std::move(Action)]() mutable {
                WhenModal(std::move(Action));
            });
            return;
        }
        Action(*Form);
    });
}

void Click(QAbstractButton* Button) {
    ASSERT_NE(Button, nullptr);
    QTest::mouseClick(Button, Qt::LeftButton);
}

void Press(QWidget* Window, int Key, Qt::KeyboardModifiers Modifiers) {
    QTest::keyClick(Window, static_cast<Qt::Key>(Key), Modifiers);
}

QString Describe(const QTextDocument& Document) {
    QString Text;
    QString Current;
    for (QTextBlock Block = Document.begin(); Block.isValid(); Block = Block.next()) {
        if (Block != Document.begin()) {
            Text += u'\n';
        }
        for (auto It = Block.begin(); !It.atEnd(); ++It) {
            const QTextFragment Fragment = It.fragment();
            const QString Style = StyleOf(Fragment.charFormat());
            if (Style != Current) {
                Text += u'{' + Style + u'}';
                Current = Style;
            }
            Text += Fragment.text();
        }
    }
    return Text.replace(QChar::LineSeparator, u'\n');
}

QString DescribeHtml(const QString& Html) {
    QTextDocument Document;
    Document.setHtml(Html);
    return Describe(Document);
}

QStringList PlainLines(const QTextDocument& Document) {
    return Document.toPlainText().split(u'\n');
}

} // namespace vx::taskdialog::test
