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
    const QString Shown = taskdialog::test::Describe(*Form().ContentView()->document());
    SCOPED_TRACE(Shown.toStdString());
    EXPECT_TRUE(Shown.contains(QStringLiteral("{b}Item:{} <b>bold</b>\n")));
    EXPECT_TRUE(Shown.contains(
        QStringLiteral("{b}Identified as:{} <a href=\"http://evil.example/\">click</a>\n")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("{b}Old data:{} &lt;i&gt;\n")));
    EXPECT_TRUE(Shown.contains(QStringLiteral("{b}New data:{} <img src=x><u>u\n")));
    EXPECT_FALSE(Shown.contains(QStringLiteral("{a=")));
    EXPECT_FALSE(Shown.contains(QStringLiteral("{u}")));
}

TEST_F(DecisionBadInput, LongValuesKeepTheWindowOnTheScreen) {
    const std::string Word(100 * 1024, 'A');
    std::string Words;
    while (Words.size() < 100 * 1024) {
        Words += "word ";
    }
    Add({"item=" + Word, "identifiedas=" + Words, "olddata=" + Word, "newdata=" + Words,
         "decisiontype=decision"});
    Notify();
    ASSERT_TRUE(Shown());
    const QRect Screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(Screen.contains(Form().frameGeometry()));
    EXPECT_LE(Form().width(), 1280);
    EXPECT_LE(Form().height(), 800);
    for (QWidget* Part : {static_cast<QWidget*>(Previous()), static_cast<QWidget*>(Next()),
                          static_cast<QWidget*>(Allow()), static_cast<QWidget*>(Deny()),
                          static_cast<QWidget*>(Ignore())}) {
        const QRect InForm(Part->mapTo(&Form(), QPoint(0, 0)), Part->size());
        EXPECT_TRUE(Form().rect().contains(InForm)) << Part->objectName().toStdString();
    }
    // Nothing is cut off: the content wraps within its width and scrolls.
    TJSTextView* Content = Form().ContentView();
    Content->selectAll();
    Content->copy();
    const QString Copied = QApplication::clipboard()->text();
    EXPECT_TRUE(Copied.contains(QString::fromStdString(Word)));
    EXPECT_FALSE(Copied.contains(QChar(MarkupWrapPoint)));
    EXPECT_LE(Content->document()->idealWidth(), Content->viewport()->width());
    EXPECT_GT(Content->verticalScrollBar()->maximum(), 0);
    EXPECT_GE(Content->height(), 48);
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
void LoadLanguage(const std::string& Lines) {
    decisions::DialogTranslators(decisions::PlimmDecisionsDialog)
        .LoadTexts(i18n::TLanguageFile("[Dialog.AskPlimmDecisions]\n" + Lines));
}

TEST_F(DecisionBadInput, WrongPlaceholdersShowTheErrorLines) {
    struct TCase {
        const char* Name;
        const char* Language;
        const char16_t* Instruction; // what the instruction shows afterwards
    };
    const TCase Cases[] = {
        {"texts for numbers", "Instruction=%s %s %s", u"%s %s %s"},
        {"a third number missing", "Instruction=(%d/%d/%d)", u"(%d/%d/%d)"},
        {"unknown directive", "Instruction=%q", u"%q"},
        {"a number for the time text", "TimestampText=%d",
         u"A system change that needs your "
         u"attention has occured (1/1)!"},
    };
    AddItems(1);
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Name);
        FreeDecisionDialog();
        decisions::RegisterDialogTexts(nullptr);
        LoadLanguage(Case.Language);
        Notify();
        ASSERT_TRUE(Shown());
        EXPECT_EQ(Line(2),
                  QStringLiteral("An unexpected error occured while filling this dialog:"));
        EXPECT_EQ(Line(3), QString());
        EXPECT_FALSE(Line(4).isEmpty());
        EXPECT_EQ(Line(6), QString());
        EXPECT_EQ(Line(7), QString());
        EXPECT_EQ(Line(8), QString());
        EXPECT_EQ(Instruction(), QString::fromUtf16(Case.Instruction));
        EXPECT_TRUE(FEvents.Events().empty()); // shown, not logged
    }
}

TEST_F(DecisionBadInput, TranslatedLabelsKeepTheirMarkup) {
    // Language files trim their values: the label loses its trailing blank.
    LoadLanguage("Item=<b>Objekt:</b> \nOldData=\n");
    Add({"item=i", "olddata=o", "newdata=n", "decisiontype=decision"});
    Notify();
    const QString Shown = taskdialog::test::Describe(*Form().ContentView()->document());
    EXPECT_TRUE(Shown.contains(QStringLiteral("{b}Objekt:{}i\n"))) << Shown.toStdString();
    EXPECT_EQ(Line(7), QStringLiteral("o"));
    EXPECT_EQ(Line(8), QStringLiteral("New data: n"));
}

} // namespace
} // namespace vx::dialogs
