#include "decisions/DecisionList.h"

#include <algorithm>

namespace vx::decisions {

namespace {

constexpr const char* const ListIndexError = "List index out of bounds (";

} // namespace

TDecisionList::TDecisionList(int verdictPort) : FVerdictPort(verdictPort) {}

TDecisionList::~TDecisionList() {
    // Decisions still held elsewhere must not reach back into a freed list.
    for (auto& decision : FItems) {
        decision->FOwnerList = nullptr;
    }
}

std::shared_ptr<TDecision> TDecisionList::Append(std::shared_ptr<TDecision> decision) {
    const std::size_t bytes = decision->TextBytes();
    std::lock_guard guard(FLock);
    if (FItems.size() >= FLimits.Count || bytes > FLimits.TextBytes - FTextBytes) {
        return nullptr;
    }
    decision->DecisionID = static_cast<std::uint32_t>(FNextID);
    decision->FCountedBytes = bytes;
    ++FNextID;
    FTextBytes += bytes;
    ++FVersion;
    FItems.push_back(decision);
    return decision;
}

std::shared_ptr<TDecision> TDecisionList::TakeLocked(std::size_t position) {
    std::shared_ptr<TDecision> removed = std::move(FItems[position]);
    FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(position));
    FTextBytes -= removed->FCountedBytes;
    ++FVersion;
    return removed;
}

void TDecisionList::SetLimits(const TDecisionLimits& limits) {
    std::lock_guard guard(FLock);
    FLimits = limits;
}

TDecisionLimits TDecisionList::Limits() const {
    std::lock_guard guard(FLock);
    return FLimits;
}

std::size_t TDecisionList::TextBytes() const {
    std::lock_guard guard(FLock);
    return FTextBytes;
}

std::shared_ptr<TDecision> TDecisionList::Add() {
    auto decision = Append(std::shared_ptr<TDecision>(new TDecision(this)));
    if (!decision) {
        throw EDecisionListError("The list is full");
    }
    return decision;
}

std::shared_ptr<TDecision> TDecisionList::Add(const TStrings& lines) {
    std::shared_ptr<TDecision> decision(new TDecision(this));
    decision->LoadFromStrings(lines);
    return Append(std::move(decision));
}

std::shared_ptr<TDecision> TDecisionList::Items(int index) const {
    std::lock_guard guard(FLock);
    if (index < 0 || static_cast<std::size_t>(index) >= FItems.size()) {
        throw EDecisionListError(ListIndexError + std::to_string(index) + ")");
    }
    return FItems[static_cast<std::size_t>(index)];
}

void TDecisionList::Delete(int index) {
    std::shared_ptr<TDecision> removed;
    {
        std::lock_guard guard(FLock);
        if (index < 0 || static_cast<std::size_t>(index) >= FItems.size()) {
            throw EDecisionListError(ListIndexError + std::to_string(index) + ")");
        }
        removed = TakeLocked(static_cast<std::size_t>(index));
    }
    // Freed (if nobody else holds it) outside the lock.
}

int TDecisionList::Count() const {
    std::lock_guard guard(FLock);
    return static_cast<int>(FItems.size());
}

int TDecisionList::IndexOfLocked(const TDecision& decision) const {
    const auto it = std::find_if(FItems.begin(), FItems.end(),
                                 [&](const auto& item) { return item.get() == &decision; });
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TDecisionList::IndexOf(const TDecision& decision) const {
    std::lock_guard guard(FLock);
    return IndexOfLocked(decision);
}

bool TDecisionList::Remove(const TDecision& decision) {
    std::shared_ptr<TDecision> removed;
    {
        std::lock_guard guard(FLock);
        const int position = IndexOfLocked(decision);
        if (position < 0) {
            return false;
        }
        removed = TakeLocked(static_cast<std::size_t>(position));
    }
    return true;
}

bool TDecisionList::ApplyVerdict(int index, bool allow) {
    return ApplyVerdict(Items(index), allow);
}

bool TDecisionList::ApplyVerdict(const std::shared_ptr<TDecision>& decision, bool allow) {
    if (!decision || IndexOf(*decision) < 0) {
        return false;
    }
    const bool result = decision->SendVerdict(allow); // blocking, with no lock held
    Remove(*decision);
    return result;
}

void TDecisionList::StatusEntry(const TDecision& decision, std::size_t /*position*/,
                                TStrings& lines) {
    decision.GetDisplayLines(lines);
    lines.emplace_back();
}

void TDecisionList::ListEntry(const TDecision& decision, std::size_t position, TStrings& lines) {
    lines.push_back("[" + std::to_string(position) + "]");
    decision.AppendKeyValueLines(lines, static_cast<int>(position));
    lines.emplace_back();
}

void TDecisionList::GetLines(TEntryLines entry, TStrings& lines) const {
    std::lock_guard guard(FLock);
    for (std::size_t position = 0; position < FItems.size(); ++position) {
        entry(*FItems[position], position, lines);
    }
}

void TDecisionList::GetStatusLines(TStrings& lines) const {
    GetLines(&TDecisionList::StatusEntry, lines);
}

void TDecisionList::GetListLines(TStrings& lines) const {
    GetLines(&TDecisionList::ListEntry, lines);
}

std::shared_ptr<const std::string> TDecisionList::StatusText() const {
    return Rendered(FStatusText, &TDecisionList::StatusEntry);
}

std::shared_ptr<const std::string> TDecisionList::ListText() const {
    return Rendered(FListText, &TDecisionList::ListEntry);
}

std::shared_ptr<const std::string> TDecisionList::Rendered(TRendered& cache,
                                                           TEntryLines entry) const {
    std::lock_guard renderGuard(FRenderLock);
    std::vector<std::shared_ptr<TDecision>> items;
    std::uint64_t version = 0;
    {
        std::lock_guard guard(FLock);
        if (cache.Text && cache.Version == FVersion) {
            return cache.Text;
        }
        items = FItems;
        version = FVersion;
    }
    // Made outside the list's lock, a decision at a time: the user-interface thread never
    // waits for it, and no line list of the whole text is ever held.
    auto text = std::make_shared<std::string>();
    TStrings lines;
    for (std::size_t position = 0; position < items.size(); ++position) {
        lines.clear();
        entry(*items[position], position, lines);
        *text += LinesAsText(lines);
    }
    cache = {version, std::move(text)};
    return cache.Text;
}

} // namespace vx::decisions
