#include "httpservice/ThreadCounter.h"

#include <algorithm>

namespace vx::httpservice {

void TThreadCounter::Enter() {
    std::lock_guard lock(FLock);
    ++FCount;
    FPeak = std::max(FPeak, FCount);
}

void TThreadCounter::Leave() {
    {
        std::lock_guard lock(FLock);
        --FCount;
    }
    FLeft.notify_all();
}

int TThreadCounter::Count() const {
    std::lock_guard lock(FLock);
    return FCount;
}

int TThreadCounter::Peak() const {
    std::lock_guard lock(FLock);
    return FPeak;
}

bool TThreadCounter::WaitBelow(int limit, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(FLock);
    return FLeft.wait_for(lock, timeout, [&] { return FCount < limit; });
}

} // namespace vx::httpservice
