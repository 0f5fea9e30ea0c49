#include "decisions/DecisionList.h"

#include <algorithm>

namespace vx::decisions {

namespace {

constexpr const char* const ListIndexError = "List index out of bounds (";

} // namespace

TDecisionList::TDecisionList(int VerdictPort) : FVerdictPort(VerdictPort) {}

TDecisionList::~TDecisionList() {
    // Decisions still held elsewhere must not reach back into a freed list.
    for (auto& Decision : FItems) {
        Decision->FOwnerList = nullptr;
    }
}

std::shared_ptr<TDecision> TDecisionList::Append(std::shared_ptr<TDecision> Decision) {
    std::lock_guard Guard(FLock);
    Decision->DecisionID = static_cast<std::uint32_t>(FNextID);
    ++FNextID;
    FItems.push_back(Decision);
    return Decision;
}

std::shared_ptr<TDecision> TDecisionList::Add() {
    return Append(std::shared_ptr<TDecision>(new TDecision(this)));
}

std::shared_ptr<TDecision> TDecisionList::Add(const TStrings& Lines) {
    std::shared_ptr<TDecision> Decision(new TDecision(this));
    Decision->LoadFromStrings(Lines);
    return Append(std::move(Decision));
}

std::shared_ptr<TDecision> TDecisionList::Items(int Index) const {
    std::lock_guard Guard(FLock);
    if (Index < 0 || static_cast<std::size_t>(Index) >= FItems.size()) {
        throw EDecisionListError(ListIndexError + std::to_string(Index) + ")");
    }
    return FItems[static_cast<std::size_t>(Index)];
}

void TDecisionList::Delete(int Index) {
    std::shared_ptr<TDecision> Removed;
    {
        std::lock_guard Guard(FLock);
        if (Index < 0 || static_cast<std::size_t>(Index) >= FItems.size()) {
            throw EDecisionListError(ListIndexError + std::to_string(Index) + ")");
        }
        Removed = std::move(FItems[static_cast<std::size_t>(Index)]);
        FItems.erase(FItems.begin() + Index);
    }
    // Freed (if nobody else holds it) outside the lock.
}

int TDecisionList::Count() const {
    std::lock_guard Guard(FLock);
    return static_cast<int>(FItems.size());
}

int TDecisionList::IndexOfLocked(const TDecision& Decision) const {
    const auto It = std::find_if(FItems.begin(), FItems.end(),
                                 [&](const auto& Item) { return Item.get() == &Decision; });
    return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
}

int TDecisionList::IndexOf(const TDecision& Decision) const {
    std::lock_guard Guard(FLock);
    return IndexOfLocked(Decision);
}

bool TDecisionList::Remove(const TDecision& Decision) {
    std::shared_ptr<TDecision> Removed;
    {
        std::lock_guard Guard(FLock);
        const int Position = IndexOfLocked(Decision);
        if (Position < 0) {
            return false;
        }
        Removed = std::move(FItems[static_cast<std::size_t>(Position)]);
        FItems.erase(FItems.begin() + Position);
    }
    return true;
}

bool TDecisionList::ApplyVerdict(int Index, bool Allow) {
    return ApplyVerdict(Items(Index), Allow);
}

bool TDecisionList::ApplyVerdict(const std::shared_ptr<TDecision>& Decision, bool Allow) {
    if (!Decision || IndexOf(*Decision) < 0) {
        return false;
    }
    const bool Result = Decision->SendVerdict(Allow); // blocking, with no lock held
    Remove(*Decision);
    return Result;
}

void TDecisionList::GetStatusLines(TStrings& Lines) const {
    std::lock_guard Guard(FLock);
    for (const auto& Decision : FItems) {
        Decision->GetDisplayLines(Lines);
        Lines.emplace_back();
    }
}

void TDecisionList::GetListLines(TStrings& Lines) const {
    std::lock_guard Guard(FLock);
    for (std::size_t Position = 0; Position < FItems.size(); ++Position) {
        Lines.push_back("[" + std::to_string(Position) + "]");
        FItems[Position]->AppendKeyValueLines(Lines, static_cast<int>(Position));
        Lines.emplace_back();
    }
}

} // namespace vx::decisions
