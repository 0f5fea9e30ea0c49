#include "decisions/Decision.h"

#include "decisions/DecisionList.h"
#include "decisions/Verdict.h"

#include <charconv>
#include <chrono>
#include <ctime>

namespace vx::decisions {

namespace {

// Keys of the key=value form.
constexpr const char* const KeyID = "id";
constexpr const char* const KeyItem = "item";
constexpr const char* const KeyIdentifiedAs = "identifiedas";
constexpr const char* const KeyCategory = "category";
constexpr const char* const KeyThreatLevel = "threatlevel";
constexpr const char* const KeyDecisionType = "decisiontype";
constexpr const char* const KeyLogClass = "logclass";
constexpr const char* const KeyModule = "module";
constexpr const char* const KeyInformation = "information";
constexpr const char* const KeyOldData = "olddata";
constexpr const char* const KeyNewData = "newdata";
constexpr const char* const KeyIndex = "index";

// Labels of the display form.
constexpr const char* const LabelID = "ID: ";
constexpr const char* const LabelItem = "Item: ";
constexpr const char* const LabelIdentifiedAs = "Identified As: ";
constexpr const char* const LabelCategory = "Category: ";
constexpr const char* const LabelThreatLevel = "Threat Level: ";
constexpr const char* const LabelDecisionType = "Decision Type: ";
constexpr const char* const LabelEntryType = "Entry Type: ";
constexpr const char* const LabelModule = "Module: ";
constexpr const char* const LabelInformation = "Information: ";
constexpr const char* const LabelOldData = "Old data: ";
constexpr const char* const LabelNewData = "New data: ";

constexpr std::int32_t DefaultThreatLevel = 5;
constexpr double UnixEpochAsDateTime = 25569.0; // 1 January 1970 counted from 30 December 1899
constexpr double SecondsPerDay = 86400.0;

std::string Pair(const char* Key, const std::string& Value) {
    return std::string(Key) + "=" + Value;
}

// Signed 32-bit decimal, optional sign; anything else gives the default.
std::int32_t ParseThreatLevel(const std::string& Text) {
    const char* First = Text.data();
    const char* Last = First + Text.size();
    if (First != Last && *First == '+' && Last - First > 1 && First[1] != '-') {
        ++First;
    }
    std::int32_t Value = 0;
    const auto [End, Error] = std::from_chars(First, Last, Value);
    if (Text.empty() || Error != std::errc() || End != Last) {
        return DefaultThreatLevel;
    }
    return Value;
}

} // namespace

double NowAsDateTime() {
    const auto Now = std::chrono::system_clock::now();
    const std::time_t Seconds = std::chrono::system_clock::to_time_t(Now);
    std::tm Local{};
    localtime_r(&Seconds, &Local);
    const double Fraction =
        std::chrono::duration<double>(Now - std::chrono::system_clock::from_time_t(Seconds))
            .count();
    const double LocalSeconds =
        static_cast<double>(Seconds) + static_cast<double>(Local.tm_gmtoff) + Fraction;
    return UnixEpochAsDateTime + LocalSeconds / SecondsPerDay;
}

TDecision::TDecision(TDecisionList* OwnerList)
    : FOwnerList(OwnerList), FTimestamp(NowAsDateTime()) {}

void TDecision::Assign(const TDecision& Source) {
    FOwnerList = Source.FOwnerList;
    DecisionType = Source.DecisionType;
    LogClass = Source.LogClass;
    DecisionID = Source.DecisionID;
    Module = Source.Module;
    Information = Source.Information;
    OldData = Source.OldData;
    NewData = Source.NewData;
    Item = Source.Item;
    IdentifiedAs = Source.IdentifiedAs;
    ThreatLevel = Source.ThreatLevel;
    Category = Source.Category;
}

std::string TDecision::GetDisplayName() const {
    return std::to_string(DecisionID);
}

void TDecision::LoadFromStrings(const TStrings& Lines) {
    DecisionType = ParseDecisionType(ValueOf(Lines, KeyDecisionType));
    Item = ValueOf(Lines, KeyItem);
    Category = ValueOf(Lines, KeyCategory);
    IdentifiedAs = ValueOf(Lines, KeyIdentifiedAs);
    ThreatLevel = ParseThreatLevel(ValueOf(Lines, KeyThreatLevel));
    LogClass = ParseLogClass(ValueOf(Lines, KeyLogClass));
    Module = ValueOf(Lines, KeyModule);
    Information = ValueOf(Lines, KeyInformation);
    OldData = ValueOf(Lines, KeyOldData);
    NewData = ValueOf(Lines, KeyNewData);
}

bool TDecision::HasRequiredKeys(const TStrings& Lines) {
    return HasKey(Lines, KeyModule) && HasKey(Lines, KeyInformation);
}

void TDecision::GetDisplayLines(TStrings& Lines) const {
    Lines.push_back(LabelID + std::to_string(DecisionID));
    Lines.push_back(LabelItem + Item);
    Lines.push_back(LabelIdentifiedAs + IdentifiedAs);
    Lines.push_back(LabelCategory + Category);
    Lines.push_back(LabelThreatLevel + std::to_string(ThreatLevel));
    Lines.push_back(LabelDecisionType + std::string(DecisionTypeNames.at(DecisionType)));
    Lines.push_back(LabelEntryType + std::string(LogClassNames.at(LogClass)));
    Lines.push_back(LabelModule + Module);
    Lines.push_back(LabelInformation + Information);
    Lines.push_back(LabelOldData + OldData);
    Lines.push_back(LabelNewData + NewData);
}

void TDecision::GetKeyValueLines(TStrings& Lines) const {
    AppendKeyValueLines(Lines, Index());
}

void TDecision::AppendKeyValueLines(TStrings& Lines, int Position) const {
    Lines.push_back(Pair(KeyID, std::to_string(DecisionID)));
    Lines.push_back(Pair(KeyItem, Item));
    Lines.push_back(Pair(KeyIdentifiedAs, IdentifiedAs));
    Lines.push_back(Pair(KeyCategory, Category));
    Lines.push_back(Pair(KeyThreatLevel, std::to_string(ThreatLevel)));
    Lines.push_back(Pair(KeyDecisionType, DecisionTypeKeys.at(DecisionType)));
    Lines.push_back(Pair(KeyLogClass, LogClassKeys.at(LogClass)));
    Lines.push_back(Pair(KeyModule, Module));
    Lines.push_back(Pair(KeyInformation, Information));
    Lines.push_back(Pair(KeyOldData, OldData));
    Lines.push_back(Pair(KeyNewData, NewData));
    Lines.push_back(Pair(KeyIndex, std::to_string(Position)));
}

bool TDecision::SendVerdict(bool Allow) const {
    std::string Reply;
    const int Port = FOwnerList != nullptr ? FOwnerList->VerdictPort() : MonitorVerdictPort;
    return SendDecisionVerdict(DecisionID, Allow, Reply, Port);
}

int TDecision::Index() const {
    return FOwnerList != nullptr ? FOwnerList->IndexOf(*this) : -1;
}

} // namespace vx::decisions
