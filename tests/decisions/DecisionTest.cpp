#include "decisions/DecisionList.h"

#include <algorithm>
#include <cmath>
#include <ctime>

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

bool Contains(const TStrings& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Input lines -> the key=value and display lines they must produce.
struct TFormCase {
    const char* Name;
    TStrings Input;
    TStrings KeyValue;
    TStrings Display;
};

const TFormCase FormCases[] = {
    {"type word is case-sensitive",
     {"decisiontype=Decision"},
     {"decisiontype=information"},
     {"Decision Type: Information"}},
    {"key name is not",
     {"DecisionType=decision"},
     {"decisiontype=decision"},
     {"Decision Type: Decision"}},
    {"file scanner type",
     {"decisiontype=filescaninfo"},
     {"decisiontype=filescaninfo"},
     {"Decision Type: Infected File"}},
    {"unknown type", {"decisiontype=x"}, {"decisiontype=information"}, {}},
    {"class word is case-sensitive",
     {"logclass=Added"},
     {"logclass=custom"},
     {"Entry Type: custom"}},
    {"class missing", {}, {"logclass=custom"}, {"Entry Type: custom"}},
    {"class empty", {"logclass="}, {"logclass=custom"}, {}},
    {"class words", {"logclass=deleted"}, {"logclass=deleted"}, {"Entry Type: deleted"}},
    {"status class", {"LOGCLASS=status"}, {"logclass=status"}, {}},
    {"threat empty", {"threatlevel="}, {"threatlevel=5"}, {"Threat Level: 5"}},
    {"threat missing", {}, {"threatlevel=5"}, {}},
    {"threat word", {"threatlevel=high"}, {"threatlevel=5"}, {}},
    {"threat negative", {"threatlevel=-3"}, {"threatlevel=-3"}, {"Threat Level: -3"}},
    {"threat plus sign", {"threatlevel=+7"}, {"threatlevel=7"}, {}},
    {"threat blank", {"threatlevel= 7"}, {"threatlevel=5"}, {}},
    {"threat over 32 bits", {"threatlevel=2147483648"}, {"threatlevel=5"}, {}},
    {"threat lowest", {"threatlevel=-2147483648"}, {"threatlevel=-2147483648"}, {}},
    {"first line wins", {"item=a", "item=b"}, {"item=a"}, {"Item: a"}},
    {"value keeps its equals signs",
     {"information=a=b"},
     {"information=a=b"},
     {"Information: a=b"}},
    {"nothing trimmed", {"module= m "}, {"module= m "}, {"Module:  m "}},
    {"line without equals is not found", {"module", "category"}, {"module=", "category="}, {}},
    {"id and index are ignored", {"id=99", "index=5"}, {"id=0", "index=0"}, {"ID: 0"}},
    {"texts as given",
     {"OldData=1", "newdata=2", "identifiedas=Trojan", "Category=c"},
     {"olddata=1", "newdata=2", "identifiedas=Trojan", "category=c"},
     {"Old data: 1", "New data: 2", "Identified As: Trojan", "Category: c"}},
};

TEST(DecisionForms, LinesGiveFieldsAndDefaults) {
    for (const auto& testCase : FormCases) {
        SCOPED_TRACE(testCase.Name);
        TDecisionList list;
        const auto decision = list.Add(testCase.Input);
        TStrings keyValue;
        TStrings display;
        decision->GetKeyValueLines(keyValue);
        decision->GetDisplayLines(display);
        ASSERT_EQ(keyValue.size(), 12u);
        ASSERT_EQ(display.size(), 11u);
        for (const auto& line : testCase.KeyValue) {
            EXPECT_TRUE(Contains(keyValue, line)) << line;
        }
        for (const auto& line : testCase.Display) {
            EXPECT_TRUE(Contains(display, line)) << line;
        }
    }
}

TEST(DecisionForms, FullDecisionRendersInOrder) {
    TDecisionList list;
    list.Add();
    const auto decision =
        list.Add({"decisiontype=decision", "item=C:\\x.exe", "category=Startup",
                  "identifiedas=Adware", "threatlevel=3", "logclass=changed", "module=Registry",
                  "information=Run key", "olddata=a", "newdata=b"});
    TStrings keyValue;
    decision->GetKeyValueLines(keyValue);
    EXPECT_EQ(keyValue, (TStrings{"id=1", "item=C:\\x.exe", "identifiedas=Adware",
                                  "category=Startup", "threatlevel=3", "decisiontype=decision",
                                  "logclass=changed", "module=Registry", "information=Run key",
                                  "olddata=a", "newdata=b", "index=1"}));
    TStrings display;
    decision->GetDisplayLines(display);
    EXPECT_EQ(display,
              (TStrings{"ID: 1", "Item: C:\\x.exe", "Identified As: Adware", "Category: Startup",
                        "Threat Level: 3", "Decision Type: Decision", "Entry Type: changed",
                        "Module: Registry", "Information: Run key", "Old data: a", "New data: b"}));
    EXPECT_EQ(decision->GetDisplayName(), "1");
}

TEST(DecisionForms, NewDecisionStartsEmpty) {
    TDecisionList list;
    const double before = NowAsDateTime();
    const auto decision = list.Add();
    EXPECT_EQ(decision->DecisionType, dtInformation);
    EXPECT_EQ(decision->LogClass, mlcAdded);
    EXPECT_EQ(decision->ThreatLevel, 0);
    EXPECT_EQ(decision->UniqueID(), 0);
    EXPECT_EQ(decision->Item, "");
    EXPECT_EQ(decision->OwnerList(), &list);
    EXPECT_GE(decision->Timestamp(), before);
    EXPECT_LE(decision->Timestamp() - before, 1.0 / 24); // created "now", not at some epoch
}

TEST(DecisionForms, DateTimeCountsDaysFrom1899InLocalTime) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const double value = NowAsDateTime();
    const double fraction = value - std::floor(value);
    const double seconds = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
    EXPECT_NEAR(fraction * 86400.0, seconds, 5.0);
    EXPECT_GT(value, 45000.0); // after 2023
}

TEST(DecisionForms, AssignCopiesAllButStampAndUniqueID) {
    TDecisionList list;
    const auto source = list.Add({"item=i", "threatlevel=9", "decisiontype=decision",
                                  "logclass=deleted", "module=m", "information=n", "olddata=o",
                                  "newdata=p", "identifiedas=q", "category=r"});
    TDecisionList other;
    const auto target = other.Add();
    target->Assign(*source);
    TStrings a;
    TStrings b;
    source->GetDisplayLines(a);
    target->GetDisplayLines(b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(target->OwnerList(), &list);
}

TEST(DecisionForms, RequiredKeysAreModuleAndInformation) {
    struct TCase {
        TStrings Lines;
        bool Expected;
    } cases[] = {
        {{"module=", "information="}, true},
        {{"MODULE=a", "Information=b"}, true},
        {{"module", "information=x"}, false},
        {{"information=x"}, false},
        {{"module=x"}, false},
        {{}, false},
    };
    for (const auto& testCase : cases) {
        EXPECT_EQ(TDecision::HasRequiredKeys(testCase.Lines), testCase.Expected);
    }
}

TEST(DecisionForms, WordParsersFallBackToDefaults) {
    EXPECT_EQ(ParseDecisionType("decision"), dtPlimmDecision);
    EXPECT_EQ(ParseDecisionType(""), dtInformation);
    EXPECT_EQ(ParseDecisionType("filescaninfo "), dtInformation);
    EXPECT_EQ(ParseLogClass("changed"), mlcChanged);
    EXPECT_EQ(ParseLogClass("status"), mlcStatus);
    EXPECT_EQ(ParseLogClass(""), mlcCustom);
    EXPECT_EQ(ParseLogClass("STATUS"), mlcCustom);
}

} // namespace
} // namespace vx::decisions
