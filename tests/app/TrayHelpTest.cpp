// Help: a dialog's Help button and F1 open its topic's page beside the program, in the user's
// browser; a topic without a page, or a keyword that is not a plain name, opens the contents.
#include "TrayWindowFixture.h"
#include "UrlRecorder.h"
#include "app/HelpPages.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "support/CaseName.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <filesystem>
#include <fstream>
#include <string>

#include <QDesktopServices>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace vx::app::test {
namespace {

using taskdialog::htContext;
using taskdialog::htKeyword;

struct TTopicCase {
    const char* Name;
    taskdialog::THelpType Type;
    int Context;
    const char* Keyword;
    const char* Page;
};

const TTopicCase TopicCases[] = {
    {"Keyword", htKeyword, 746, "AskPlimmDecisions", "AskPlimmDecisions.html"},
    {"Context", htContext, 746, "AskPlimmDecisions", "context-746.html"},
    {"KeywordWithoutPage", htKeyword, 0, "Elsewhere", "index.html"},
    {"ContextWithoutPage", htContext, 12, "", "index.html"},
    {"NoContext", htContext, 0, "", "index.html"},
    {"KeywordLeavingTheFolder", htKeyword, 0, "../secret", "index.html"},
    {"KeywordWithAFolder", htKeyword, 0, "sub/page", "index.html"},
    {"EmptyKeyword", htKeyword, 0, "", "index.html"},
};

class HelpTopic : public ::testing::TestWithParam<TTopicCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(FDir.isValid());
        for (const char* page :
             {"index.html", "AskPlimmDecisions.html", "context-746.html", "secret.html"}) {
            std::ofstream(FDir.filePath(page).toStdString()) << "<html></html>\n";
        }
        std::filesystem::create_directory(FDir.filePath("sub").toStdString());
        std::ofstream(FDir.filePath("sub/page.html").toStdString()) << "<html></html>\n";
    }
    QTemporaryDir FDir;
};

TEST_P(HelpTopic, OpensItsPageOrTheContents) {
    const TTopicCase& row = GetParam();
    EXPECT_EQ(HelpTopicPage(FDir.path(), row.Type, row.Context, QString::fromLatin1(row.Keyword)),
              FDir.path() + '/' + row.Page);
}

INSTANTIATE_TEST_SUITE_P(Rows, HelpTopic, ::testing::ValuesIn(TopicCases), ::vx::test::CaseName{});

class TrayHelpTest : public TrayWindowTest {
protected:
    void SetUp() override {
        TrayWindowTest::SetUp();
        QDesktopServices::setUrlHandler("file", &FRecorder, "Open");
        InstallHelp();
    }
    void TearDown() override {
        taskdialog::SetJSHelpHandler({});
        QDesktopServices::unsetUrlHandler("file");
        TrayWindowTest::TearDown();
    }
    QStringList Opened() const {
        QStringList pages;
        for (const QUrl& url : FRecorder.Urls) {
            pages << url.toLocalFile();
        }
        return pages;
    }
    TUrlRecorder FRecorder;
};

// The decision dialog's Help button asks for its context, F1 for its keyword; the status
// window's F1 opens the contents. The pages ship beside the program.
TEST_F(TrayHelpTest, HelpAndF1OpenTheDialogsTopic) {
    auto& list = Window().DecisionDaemon().Decisions();
    list.Add({"item=first", "decisiontype=decision", "logclass=added"});
    Window().AskDecisions(list);
    taskdialog::TJSTaskDialogForm* form = dialogs::DecisionDialog()->Form();
    ASSERT_NE(form, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form));

    form->CommonButton(taskdialog::cbHelp)->click();
    QTest::keyClick(form, Qt::Key_F1);
    Window().show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Window()));
    QTest::keyClick(&Window(), Qt::Key_F1);
    const QString folder = HelpFolder();
    EXPECT_EQ(Opened(), (QStringList{folder + "/context-746.html",
                                     folder + "/AskPlimmDecisions.html", folder + "/index.html"}));
    for (const QString& page : Opened()) {
        EXPECT_TRUE(QFileInfo(page).isFile()) << page.toStdString();
    }
}

} // namespace
} // namespace vx::app::test
