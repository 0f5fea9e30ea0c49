#pragma once

#include "decisions/Decision.h"
#include "decisions/KeyValueLines.h"
#include "decisions/Verdict.h"
#include "platform/Exception.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace vx::decisions {

class EDecisionListError : public vx::Exception {
public:
    using vx::Exception::Exception;
};

// What the pending decisions may hold: any local process can add them.
struct TDecisionLimits {
    std::size_t Count = 10000;
    // Bytes of their text fields together (module, information, data, item, names, category).
    std::size_t TextBytes = std::size_t{32} * 1024 * 1024;
};

// The pending decisions of one run, in insertion order.
//
// Request threads add and list while the user-interface thread reads and removes. A short
// internal lock guards every access; it is never held while waiting for anything else (the
// user-interface thread, the network), so the user-interface thread never blocks on a request
// in progress. Decisions are shared: one the user-interface thread holds stays valid after its
// removal, and the user-interface thread removes by identity, not by a position that a
// concurrent add may have shifted.
class TDecisionList {
public:
    // `verdictPort`: where the monitor service takes verdicts.
    explicit TDecisionList(int verdictPort = MonitorVerdictPort);
    ~TDecisionList();
    TDecisionList(const TDecisionList&) = delete;
    TDecisionList& operator=(const TDecisionList&) = delete;

    // Appends an empty decision with the next identifier. Others can see it at once: a caller
    // that fills it afterwards must be the only one reading it meanwhile; prefer Add(`lines`).
    // Raises EDecisionListError when the list is full.
    std::shared_ptr<TDecision> Add();
    // Appends a decision loaded from key=value lines; it is complete before anyone can see it.
    // Null, and nothing added, when it would take the list beyond its limits.
    std::shared_ptr<TDecision> Add(const TStrings& lines);
    void SetLimits(const TDecisionLimits& limits);
    TDecisionLimits Limits() const;
    // Bytes of text the pending decisions hold (see TDecisionLimits).
    std::size_t TextBytes() const;

    // Raise EDecisionListError for a position outside 0 .. Count - 1.
    std::shared_ptr<TDecision> Items(int index) const;
    void Delete(int index);

    int Count() const;
    // Position of the decision, -1 when it is not (or no longer) in this list.
    int IndexOf(const TDecision& decision) const;
    // Removes the decision if it is still listed; true when it was.
    bool Remove(const TDecision& decision);

    // Sends the verdict for the decision at `index`, then removes it whatever the outcome.
    bool ApplyVerdict(int index, bool allow);
    // The same for a decision captured earlier. A decision no longer listed already had its
    // verdict: nothing is sent again and the result is false.
    bool ApplyVerdict(const std::shared_ptr<TDecision>& decision, bool allow);

    void GetStatusLines(TStrings& lines) const;
    void GetListLines(TStrings& lines) const;
    // Those lines as text, each ending with CR LF: made once per change of the list and shared
    // by every caller until the next change.
    std::shared_ptr<const std::string> StatusText() const;
    std::shared_ptr<const std::string> ListText() const;

    int VerdictPort() const { return FVerdictPort; }

private:
    // A text of the list made for one version of it.
    struct TRendered {
        std::uint64_t Version = 0;
        std::shared_ptr<const std::string> Text;
    };
    // Appends the lines of one decision, at `position`, in one of the two forms.
    using TEntryLines = void (*)(const TDecision& decision, std::size_t position, TStrings& lines);

    std::shared_ptr<TDecision> Append(std::shared_ptr<TDecision> decision);
    int IndexOfLocked(const TDecision& decision) const;
    // Takes the decision at `position` out under the lock.
    std::shared_ptr<TDecision> TakeLocked(std::size_t position);
    void GetLines(TEntryLines entry, TStrings& lines) const;
    std::shared_ptr<const std::string> Rendered(TRendered& cache, TEntryLines entry) const;
    static void StatusEntry(const TDecision& decision, std::size_t position, TStrings& lines);
    static void ListEntry(const TDecision& decision, std::size_t position, TStrings& lines);

    const int FVerdictPort;
    mutable std::mutex FLock;
    std::vector<std::shared_ptr<TDecision>> FItems;
    std::uint64_t FNextID = 0;
    TDecisionLimits FLimits;
    std::size_t FTextBytes = 0;
    std::uint64_t FVersion = 1;     // moves on every change of FItems
    mutable std::mutex FRenderLock; // one caller renders, the others wait for its text
    mutable TRendered FStatusText;
    mutable TRendered FListText;
};

} // namespace vx::decisions
