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

std::string Pair(const char* key, const std::string& value) {
    return std::string(key) + "=" + value;
}

// Signed 32-bit decimal, optional sign; anything else gives the default.
std::int32_t ParseThreatLevel(const std::string& text) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+' && last - first > 1 && first[1] != '-') {
        ++first;
    }
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (text.empty() || error != std::errc() || end != last) {
        return DefaultThreatLevel;
    }
    return value;
}

} // namespace

double NowAsDateTime() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const double fraction =
        std::chrono::duration<double>(now - std::chrono::system_clock::from_time_t(seconds))
            .count();
    const double localSeconds =
        static_cast<double>(seconds) + static_cast<double>(local.tm_gmtoff) + fraction;
    return UnixEpochAsDateTime + localSeconds / SecondsPerDay;
}

TDecision::TDecision(TDecisionList* ownerList)
    : FOwnerList(ownerList), FTimestamp(NowAsDateTime()) {}

void TDecision::Assign(const TDecision& source) {
    FOwnerList = source.FOwnerList;
    DecisionType = source.DecisionType;
    LogClass = source.LogClass;
    DecisionID = source.DecisionID;
    Module = source.Module;
    Information = source.Information;
    OldData = source.OldData;
    NewData = source.NewData;
    Item = source.Item;
    IdentifiedAs = source.IdentifiedAs;
    ThreatLevel = source.ThreatLevel;
    Category = source.Category;
}

std::string TDecision::GetDisplayName() const {
    return std::to_string(DecisionID);
}

void TDecision::LoadFromStrings(const TStrings& lines) {
    DecisionType = ParseDecisionType(ValueOf(lines, KeyDecisionType));
    Item = ValueOf(lines, KeyItem);
    Category = ValueOf(lines, KeyCategory);
    IdentifiedAs = ValueOf(lines, KeyIdentifiedAs);
    ThreatLevel = ParseThreatLevel(ValueOf(lines, KeyThreatLevel));
    LogClass = ParseLogClass(ValueOf(lines, KeyLogClass));
    Module = ValueOf(lines, KeyModule);
    Information = ValueOf(lines, KeyInformation);
    OldData = ValueOf(lines, KeyOldData);
    NewData = ValueOf(lines, KeyNewData);
}

bool TDecision::HasRequiredKeys(const TStrings& lines) {
    return HasKey(lines, KeyModule) && HasKey(lines, KeyInformation);
}

void TDecision::GetDisplayLines(TStrings& lines) const {
    lines.push_back(LabelID + std::to_string(DecisionID));
    lines.push_back(LabelItem + Item);
    lines.push_back(LabelIdentifiedAs + IdentifiedAs);
    lines.push_back(LabelCategory + Category);
    lines.push_back(LabelThreatLevel + std::to_string(ThreatLevel));
    lines.push_back(LabelDecisionType + std::string(DecisionTypeNames.at(DecisionType)));
    lines.push_back(LabelEntryType + std::string(LogClassNames.at(LogClass)));
    lines.push_back(LabelModule + Module);
    lines.push_back(LabelInformation + Information);
    lines.push_back(LabelOldData + OldData);
    lines.push_back(LabelNewData + NewData);
}

std::size_t TDecision::TextBytes() const {
    return Module.size() + Information.size() + OldData.size() + NewData.size() + Item.size() +
           IdentifiedAs.size() + Category.size();
}

void TDecision::GetKeyValueLines(TStrings& lines) const {
    AppendKeyValueLines(lines, Index());
}

void TDecision::AppendKeyValueLines(TStrings& lines, int position) const {
    lines.push_back(Pair(KeyID, std::to_string(DecisionID)));
    lines.push_back(Pair(KeyItem, Item));
    lines.push_back(Pair(KeyIdentifiedAs, IdentifiedAs));
    lines.push_back(Pair(KeyCategory, Category));
    lines.push_back(Pair(KeyThreatLevel, std::to_string(ThreatLevel)));
    lines.push_back(Pair(KeyDecisionType, DecisionTypeKeys.at(DecisionType)));
    lines.push_back(Pair(KeyLogClass, LogClassKeys.at(LogClass)));
    lines.push_back(Pair(KeyModule, Module));
    lines.push_back(Pair(KeyInformation, Information));
    lines.push_back(Pair(KeyOldData, OldData));
    lines.push_back(Pair(KeyNewData, NewData));
    lines.push_back(Pair(KeyIndex, std::to_string(position)));
}

bool TDecision::SendVerdict(bool allow) const {
    std::string reply;
    const int port = FOwnerList != nullptr ? FOwnerList->VerdictPort() : MonitorVerdictPort;
    return SendDecisionVerdict(DecisionID, allow, reply, port);
}

int TDecision::Index() const {
    return FOwnerList != nullptr ? FOwnerList->IndexOf(*this) : -1;
}

} // namespace vx::decisions
