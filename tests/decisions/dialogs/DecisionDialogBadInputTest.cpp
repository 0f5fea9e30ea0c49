#include "DecisionFixture.h"
#include "decisions/DialogTexts.h"
#include "i18n/LanguageFile.h"
#include "taskdialog/JSMarkup.h"

#include <string>

#include <QApplication>
#include <QClipboard>
#include <QScreen>
#include <QScrollBar>
#include <gtest/gtest.h>

namespace vx::dialogs {
namespace {

using namespace taskdialog;

using DecisionBadInput = test::TDecisionFixture;

TEST_F(DecisionBadInput, MarkupInValuesShowsAsTyped) {
    Add({"item=<b>bold</b>", "identifiedas=<a href=\"http://evil.example/\">click</a>",
         "olddata=&lt;i&gt;", "newdata=<img src=x><u>u", "decisiontype=decision"});
    Notify();
    const QString shown = taskdialog::test::Describe(*Form().ContentView()->document());
    SCOPED_TRACE(shown.toStdString());
    EXPECT_TRUE(shown.contains(QStringLiteral("{b}Item:{} <b>bold</b>\n")));
    EXPECT_TRUE(shown.contains(
        QStringLiteral("{b}Identified as:{} <a href=\"http://evil.example/\">click</a>\n")));
    EXPECT_TRUE(shown.contains(QStringLiteral("{b}Old data:{} &lt;i&gt;\n")));
    EXPECT_TRUE(shown.contains(QStringLiteral("{b}New data:{} <img src=x><u>u\n")));
    EXPECT_FALSE(shown.contains(QStringLiteral("{a=")));
    EXPECT_FALSE(shown.contains(QStringLiteral("{u}")));
}

TEST_F(DecisionBadInput, LongValuesKeepTheWindowOnTheScreen) {
    const std::string word(100 * 1024, 'A');
    std::string words;
    while (words.size() < 100 * 1024) {
        words += "word ";
    }
    Add({"item=" + word, "identifiedas=" + words, "olddata=" + word, "newdata=" + words,
         "decisiontype=decision"});
    Notify();
    ASSERT_TRUE(Shown());
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(Form().frameGeometry()));
    EXPECT_LE(Form().width(), 1280);
    EXPECT_LE(Form().height(), 800);
    for (QWidget* part : {static_cast<QWidget*>(Previous()), static_cast<QWidget*>(Next()),
                          static_cast<QWidget*>(Allow()), static_cast<QWidget*>(Deny()),
                          static_cast<QWidget*>(Ignore())}) {
        const QRect inForm(part->mapTo(&Form(), QPoint(0, 0)), part->size());
        EXPECT_TRUE(Form().rect().contains(inForm)) << part->objectName().toStdString();
    }
    // Nothing is lost: the values are shortened to fit without scrolling, the copy of the
    // dialog holds them whole, and what is shown copies without its wrap points.
    TJSTextView* content = Form().ContentView();
    EXPECT_TRUE(Form().ClipboardText().contains(QString::fromStdString(word)));
    content->selectAll();
    content->copy();
    EXPECT_FALSE(QApplication::clipboard()->text().contains(QChar(MarkupWrapPoint)));
    EXPECT_LE(content->document()->idealWidth(), content->viewport()->width());
    EXPECT_EQ(content->verticalScrollBar()->maximum(), 0);
    EXPECT_GE(content->height(), 48);
}

TEST_F(DecisionBadInput, BrokenBytesAndLineBreaksShowAsText) {
    Add({"item=bad\xFF\xFEname\xC3", "identifiedas=one\r\ntwo", "newdata=a\nb\rc", "olddata=x\ty",
         "decisiontype=decision"});
    Notify();
    EXPECT_EQ(Lines().size(), 11);
    EXPECT_EQ(Line(2), QString::fromUtf16(u"Item: bad\uFFFD\uFFFDname\uFFFD"));
    EXPECT_EQ(Line(3), QString::fromUtf16(u"Identified as: one\u240D\u240Atwo"));
    EXPECT_EQ(Line(7), QString::fromUtf16(u"Old data: x\u2409y"));
    EXPECT_EQ(Line(8), QString::fromUtf16(u"New data: a\u240Ab\u240Dc"));
}

// A language file for the decision dialog's section.
void LoadLanguage(const std::string& lines) {
    decisions::DialogTranslators(decisions::PlimmDecisionsDialog)
        .LoadTexts(i18n::TLanguageFile("[Dialog.AskPlimmDecisions]\n" + lines));
}

TEST_F(DecisionBadInput, WrongPlaceholdersShowTheErrorLines) {
    struct TCase {
        const char* Name;
        const char* Language;
        const char16_t* Instruction; // what the instruction shows afterwards
    };
    const TCase cases[] = {
        {"texts for numbers", "Instruction=%s %s %s", u"%s %s %s"},
        {"a third number missing", "Instruction=(%d/%d/%d)", u"(%d/%d/%d)"},
        {"unknown directive", "Instruction=%q", u"%q"},
        {"a number for the time text", "TimestampText=%d",
         u"A system change that needs your "
         u"attention has occured (1/1)!"},
    };
    AddItems(1);
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        FDialogOwner.FreeDialog();
        decisions::RegisterDialogTexts(nullptr);
        LoadLanguage(testCase.Language);
        Notify();
        ASSERT_TRUE(Shown());
        EXPECT_EQ(Line(2),
                  QStringLiteral("An unexpected error occured while filling this dialog:"));
        EXPECT_EQ(Line(3), QString());
        EXPECT_FALSE(Line(4).isEmpty());
        EXPECT_EQ(Line(6), QString());
        EXPECT_EQ(Line(7), QString());
        EXPECT_EQ(Line(8), QString());
        EXPECT_EQ(Instruction(), QString::fromUtf16(testCase.Instruction));
        EXPECT_TRUE(FEvents.Events().empty()); // shown, not logged
    }
}

TEST_F(DecisionBadInput, TranslatedLabelsKeepTheirMarkup) {
    // Language files trim their values: the label loses its trailing blank.
    LoadLanguage("Item=<b>Objekt:</b> \nOldData=\n");
    Add({"item=i", "olddata=o", "newdata=n", "decisiontype=decision"});
    Notify();
    const QString shown = taskdialog::test::Describe(*Form().ContentView()->document());
    EXPECT_TRUE(shown.contains(QStringLiteral("{b}Objekt:{}i\n"))) << shown.toStdString();
    EXPECT_EQ(Line(7), QStringLiteral("o"));
    EXPECT_EQ(Line(8), QStringLiteral("New data: n"));
}

} // namespace
} // namespace vx::dialogs
