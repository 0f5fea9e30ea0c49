#include "decisions/DecisionList.h"

#include <algorithm>
#include <ctime>

#include <gtest/gtest.h>

namespace vx::decisions {
namespace {

bool Contains(const TStrings& Lines, const std::string& Line) {
    return std::find(Lines.begin(), Lines.end(), Line) != Lines.end();
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
    for (const auto& Case : FormCases) {
        SCOPED_TRACE(Case.Name);
        TDecisionList List;
        const auto Decision = List.Add(Case.Input);
        TStrings KeyValue;
        TStrings Display;
        Decision->GetKeyValueLines(KeyValue);
        Decision->GetDisplayLines(Display);
        ASSERT_EQ(KeyValue.size(), 12u);
        ASSERT_EQ(Display.size(), 11u);
        for (const auto& Line : Case.KeyValue) {
            EXPECT_TRUE(Contains(KeyValue, Line)) << Line;
        }
        for (const auto& Line : Case.Display) {
            EXPECT_TRUE(Contains(Display, Line)) << Line;
        }
    }
}

TEST(DecisionForms, FullDecisionRendersInOrder) {
    TDecisionList List;
    List.Add();
    const auto Decision =
        List.Add({"decisiontype=decision", "item=C:\\x.exe", "category=Startup",
                  "identifiedas=Adware", "threatlevel=3", "logclass=changed", "module=Registry",
                  "information=Run key", "olddata=a", "newdata=b"});
    TStrings KeyValue;
    Decision->GetKeyValueLines(KeyValue);
    EXPECT_EQ(KeyValue, (TStrings{"id=1", "item=C:\\x.exe", "identifiedas=Adware",
                                  "category=Startup", "threatlevel=3", "decisiontype=decision",
                                  "logclass=changed", "module=Registry", "information=Run key",
                                  "olddata=a", "newdata=b", "index=1"}));
    TStrings Display;
    Decision->GetDisplayLines(Display);
    EXPECT_EQ(Display,
              (TStrings{"ID: 1", "Item: C:\\x.exe", "Identified As: Adware", "Category: Startup",
                        "Threat Level: 3", "Decision Type: Decision", "Entry Type: changed",
                        "Module: Registry", "Information: Run key", "Old data: a", "New data: b"}));
    EXPECT_EQ(Decision->GetDisplayName(), "1");
}

TEST(DecisionForms, NewDecisionStartsEmpty) {
    TDecisionList List;
    const double Before = NowAsDateTime();
    const auto Decision = List.Add();
    EXPECT_EQ(Decision->DecisionType, dtInformation);
    EXPECT_EQ(Decision->LogClass, mlcAdded);
    EXPECT_EQ(Decision->ThreatLevel, 0);
    EXPECT_EQ(Decision->UniqueID(), 0);
    EXPECT_EQ(Decision->Item, "");
    EXPECT_EQ(Decision->OwnerList(), &List);
    EXPECT_GE(Decision->Timestamp(), Before);
    EXPECT_LE(Decision->Timestamp() - Before, 1.0 / 24); // created "now", not at some epoch
}

TEST(DecisionForms, DateTimeCountsDaysFrom1899InLocalTime) {
    const std::time_t Now = std::time(nullptr);
    std::tm Local{};
    localtime_r(&Now, &Local);
    const double Value = NowAsDateTime();
    const double Fraction = Value - static_cast<long>(Value);
    const double Seconds = Local.tm_hour * 3600.0 + Local.tm_min * 60.0 + Local.tm_sec;
    EXPECT_NEAR(Fraction * 86400.0, Seconds, 5.0);
    EXPECT_GT(Value, 45000.0); // after 2023
}

TEST(DecisionForms, AssignCopiesAllButStampAndUniqueID) {
    TDecisionList List;
    const auto Source = List.Add({"item=i", "threatlevel=9", "decisiontype=decision",
                                  "logclass=deleted", "module=m", "information=n", "olddata=o",
                                  "newdata=p", "identifiedas=q", "category=r"});
    TDecisionList Other;
    const auto Target = Other.Add();
    Target->Assign(*Source);
    TStrings A;
    TStrings B;
    Source->GetDisplayLines(A);
    Target->GetDisplayLines(B);
    EXPECT_EQ(A, B);
    EXPECT_EQ(Target->OwnerList(), &List);
}

TEST(DecisionForms, RequiredKeysAreModuleAndInformation) {
    struct TCase {
        TStrings Lines;
        bool Expected;
    } Cases[] = {
        {{"module=", "information="}, true},
        {{"MODULE=a", "Information=b"}, true},
        {{"module", "information=x"}, false},
        {{"information=x"}, false},
        {{"module=x"}, false},
        {{}, false},
    };
    for (const auto& Case : Cases) {
        EXPECT_EQ(TDecision::HasRequiredKeys(Case.Lines), Case.Expected);
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
