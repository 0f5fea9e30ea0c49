#include "taskdialog/JSMarkup.h"

#include "taskdialog/TaskDialogTestSupport.h"

#include <gtest/gtest.h>

namespace vx::taskdialog {
namespace {

using test::DescribeHtml;

// Markup -> what it shows (test::Describe notation) and its plain text.
struct TMarkupCase {
    const char* Name;
    const char16_t* Markup;
    const char16_t* Shown;
    const char16_t* Plain;
};

const TMarkupCase MarkupCases[] = {
    {"plain", u"abc", u"abc", u"abc"},
    {"bold label then value", u"<b>Item:</b> x", u"{b}Item:{} x", u"Item: x"},
    {"italic and underline", u"<i>a</i><u>b</u>c", u"{i}a{u}b{}c", u"abc"},
    {"nested", u"<b><i>a</i></b>", u"{bi}a", u"a"},
    {"upper-case tags", u"<B>a</B>b", u"{b}a{}b", u"ab"},
    {"quoted link", u"<a href=\"http://h/?a=1&amp;b=2\">go</a>.", u"{a=http://h/?a=1&b=2}go{}.",
     u"go."},
    {"unquoted link", u"<a href=target>go</a>", u"{a=target}go", u"go"},
    {"single-quoted link", u"<a href='t q'>go</a>", u"{a=t q}go", u"go"},
    {"link without target", u"<a>go</a>", u"go", u"go"},
    {"line breaks", u"a\r\nb\nc\rd", u"a\nb\nc\nd", u"a\nb\nc\nd"},
    {"blanks kept", u"a  b", u"a  b", u"a  b"},
    {"other tags are text", u"<img src=x><br>", u"<img src=x><br>", u"<img src=x><br>"},
    {"script is text", u"<script>x</script>", u"<script>x</script>", u"<script>x</script>"},
    {"table is text", u"<table><tr><td>x", u"<table><tr><td>x", u"<table><tr><td>x"},
    {"entities", u"&lt;b&gt; &amp; &quot;&#39;&apos;", u"<b> & \"''", u"<b> & \"''"},
    {"bare ampersand", u"Tom & Jerry &nbsp;", u"Tom & Jerry &nbsp;", u"Tom & Jerry &nbsp;"},
    {"unclosed less-than", u"a < b", u"a < b", u"a < b"},
    {"stray closing tag dropped", u"</b>x</i>", u"x", u"x"},
    {"unclosed tag ends with the text", u"<b>x", u"{b}x", u"x"},
    {"tag split by a line break", u"<b\n>x", u"<b\n>x", u"<b\n>x"},
};

TEST(JSMarkup, ShowsItsMarkupAndNothingElse) {
    for (const auto& testCase : MarkupCases) {
        SCOPED_TRACE(testCase.Name);
        const QString markup = QString::fromUtf16(testCase.Markup);
        EXPECT_EQ(DescribeHtml(MarkupToHtml(markup)), QString::fromUtf16(testCase.Shown));
        EXPECT_EQ(MarkupToPlainText(markup), QString::fromUtf16(testCase.Plain));
    }
}

TEST(JSMarkup, AnOpenTagDoesNotReachTheNextLine) {
    EXPECT_EQ(DescribeHtml(MarkupLinesToHtml({"<b>a", "b", "", "<i>c</i>"})),
              QString::fromUtf16(u"{b}a{}\nb\n\n{i}c"));
}

TEST(JSMarkup, EscapedTextShowsAsTyped) {
    const char16_t* values[] = {
        u"<b>bold</b>", u"<a href=\"http://evil/\">click</a>",
        u"&amp;",       u"&lt;i&gt;",
        u"a\"b'c",      u"<i",
        u"x > y",
    };
    for (const char16_t* value : values) {
        const QString text = QString::fromUtf16(value);
        SCOPED_TRACE(text.toStdString());
        EXPECT_EQ(DescribeHtml(MarkupToHtml(EscapeMarkup(text))), text);
        EXPECT_EQ(MarkupToPlainText(EscapeMarkup(text)), text);
    }
}

TEST(JSMarkup, LongWordsGetWrapPointsOnlyWhenShown) {
    struct TCase {
        const char* Name;
        QString Word;
        int WrapPoints;
    };
    const QString emoji = QString::fromUtf16(u"\U0001F600");
    const QString accented = QString::fromUtf16(u"e\u0301");
    const TCase cases[] = {
        {"short word", QString(128, u'A'), 0},
        {"long word", QString(200, u'A'), 12},
        {"surrogate pairs stay whole", emoji.repeated(100), 12},
        {"marks stay with their letter", accented.repeated(100), 12},
    };
    for (const auto& testCase : cases) {
        SCOPED_TRACE(testCase.Name);
        const QString markup = QStringLiteral("x ") + testCase.Word + QStringLiteral(" y");
        QString shown = DescribeHtml(MarkupToHtml(markup));
        EXPECT_EQ(shown.count(QChar(MarkupWrapPoint)), testCase.WrapPoints);
        for (qsizetype i = shown.indexOf(QChar(MarkupWrapPoint)); i >= 0;
             i = shown.indexOf(QChar(MarkupWrapPoint), i + 1)) {
            EXPECT_FALSE(shown[i + 1].isLowSurrogate() || shown[i + 1].isMark()) << i;
        }
        EXPECT_EQ(shown.remove(QChar(MarkupWrapPoint)), markup);
        EXPECT_EQ(MarkupToPlainText(markup), markup);
    }
}

} // namespace
} // namespace vx::taskdialog
