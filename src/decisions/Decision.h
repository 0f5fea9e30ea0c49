#pragma once

#include "decisions/DecisionTypes.h"
#include "decisions/KeyValueLines.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace vx::decisions {

class TDecisionList;

// One pending decision handed over by the monitor service. Created only by its list; its
// fields are filled before the list publishes it and are not changed afterwards by the list.
class TDecision {
public:
    // Copies the identity and the monitor's fields; UniqueID and Timestamp stay this decision's.
    void Assign(const TDecision& source);

    std::string GetDisplayName() const;
    void LoadFromStrings(const TStrings& lines);
    static bool HasRequiredKeys(const TStrings& lines);
    void GetDisplayLines(TStrings& lines) const;
    void GetKeyValueLines(TStrings& lines) const;
    // Sends the verdict to the monitor; the reply text is not kept.
    bool SendVerdict(bool allow) const;

    // Current position in the list, -1 once removed from it.
    int Index() const;
    TDecisionList* OwnerList() const { return FOwnerList; }
    std::int64_t UniqueID() const { return FUniqueID; }
    // Local date-time of creation: days since 30 December 1899, the fraction the time of day.
    double Timestamp() const { return FTimestamp; }

    std::uint32_t DecisionID = 0;
    TDecisionType DecisionType = dtInformation;
    TMonitorLogClass LogClass = mlcAdded;
    std::string Module;
    std::string Information;
    std::string OldData;
    std::string NewData;
    std::string Item;
    std::string IdentifiedAs;
    std::int32_t ThreatLevel = 0;
    std::string Category;

private:
    friend class TDecisionList;

    explicit TDecision(TDecisionList* ownerList);
    // The key=value lines with the given position (the list renders under its own lock).
    void AppendKeyValueLines(TStrings& lines, int position) const;
    // Bytes of the text fields.
    std::size_t TextBytes() const;

    TDecisionList* FOwnerList;
    std::size_t FCountedBytes = 0; // what its list counted for it
    std::int64_t FUniqueID = 0;
    double FTimestamp;
};

// Local "now" as a day count since 30 December 1899 with the time of day as fraction.
double NowAsDateTime();

} // namespace vx::decisions
