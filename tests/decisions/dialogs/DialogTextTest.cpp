#include "decisions/dialogs/DialogText.h"

#include "decisions/dialogs/DecisionTimeText.h"
#include "platform/Format.h"
#include "taskdialog/JSMarkup.h"
#include "taskdialog/TaskDialogTestSupport.h"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace vx::dialogs {
namespace {

using namespace taskdialog;

// A decision's bytes -> what the dialog shows of them.
struct TValueCase {
    const char* Name;
    std::string Bytes;
    const char16_t* Shown;
};

const TValueCase ValueCases[] = {
    {"ASCII", "C:\\Windows\\hosts", u"C:\\Windows\\hosts"},
    {"UTF-8", "Z\xC3\xBCrich \xE2\x82\xAC", u"Z\u00FCrich \u20AC"},
    {"invalid bytes",
     "a\xFF"
     "b\xC3",
     u"a\uFFFDb\uFFFD"},
    {"overlong encoding", "\xC0\xAF", u"\uFFFD\uFFFD"},
    {"markup stays text", "<b>x</b><a href=\"u\">l</a>", u"<b>x</b><a href=\"u\">l</a>"},
    {"entities stay text", "&lt;&amp;", u"&lt;&amp;"},
    {"CR LF shows, never breaks", "one\r\ntwo", u"one\u240D\u240Atwo"},
    {"tab and NUL", std::string("a\tb\0c", 5), u"a\u2409b\u2400c"},
    {"delete", "\x7F", u"\u2421"},
    {"direction override",
     "invoice\xE2\x80\xAE"
     "fdp.exe",
     u"invoice[U+202E]fdp.exe"},
    {"direction isolate", "\xE2\x81\xA6x\xE2\x81\xA9", u"[U+2066]x[U+2069]"},
};

TEST(DialogValue, ShowsBytesExactlyAsText) {
    for (const auto& testCase : ValueCases) {
        SCOPED_TRACE(testCase.Name);
        const QString value = DialogValue(testCase.Bytes);
        EXPECT_EQ(test::DescribeHtml(MarkupToHtml(value)), QString::fromUtf16(testCase.Shown));
    }
}

TEST(DialogText, InvalidBytesBecomeReplacementCharacters) {
    EXPECT_EQ(DialogText("\xC3\x28ok"), QString::fromUtf16(u"\uFFFD(ok"));
    EXPECT_EQ(DialogText("<b>label</b>"), QStringLiteral("<b>label</b>")); // markup kept
}

// Timestamps in the "C" locale: short date %m/%d/%y, long time %H:%M:%S.
struct TTimeCase {
    const char* Name;
    double Timestamp;
    const char* Text;
};

const TTimeCase TimeCases[] = {
    {"exactly midnight: date only", 45292.0, "01/01/24"},
    {"noon", 45292.5, "01/01/24 12:00:00"},
    {"one millisecond after midnight", 45292.0 + 1.0 / 86400000.0, "01/01/24 00:00:00"},
    {"rounds up to the next midnight", 45292.0 + 86399999.6 / 86400000.0, "01/02/24"},
    {"a second before midnight", 45292.0 + 86399.0 / 86400.0, "01/01/24 23:59:59"},
    {"day zero", 0.0, "12/30/99"},
    {"leap day", 45351.75, "02/29/24 18:00:00"},
    {"first day", -693593.0, "01/01/01"},
};

TEST(DecisionTimeText, DateAndTimeOfTheLocale) {
    const win::TLocaleTime locale("C");
    for (const auto& testCase : TimeCases) {
        SCOPED_TRACE(testCase.Name);
        EXPECT_EQ(DecisionTimeText(testCase.Timestamp, locale), testCase.Text);
    }
}

TEST(DecisionTimeText, ValuesThatAreNoDateRaise) {
    const win::TLocaleTime locale("C");
    const double bad[] = {std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity(), 1.0e12, -693594.0, 2958466.0};
    for (const double timestamp : bad) {
        EXPECT_THROW(DecisionTimeText(timestamp, locale), EConvertError) << timestamp;
    }
}

} // namespace
} // namespace vx::dialogs
