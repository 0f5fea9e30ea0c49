#include "platform/NamedEvent.h"

#include <map>

namespace vx::win {

void TEvent::Set() {
    {
        std::lock_guard lock(FLock);
        FSignalled = true;
    }
    FChanged.notify_all();
}

void TEvent::Reset() {
    std::lock_guard lock(FLock);
    FSignalled = false;
}

bool TEvent::IsSet() const {
    std::lock_guard lock(FLock);
    return FSignalled;
}

bool TEvent::WaitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(FLock);
    return FChanged.wait_for(lock, timeout, [this] { return FSignalled; });
}

std::shared_ptr<TEvent> CreateNamedEvent(const std::string& name, bool initialState,
                                         bool* alreadyExisted) {
    static std::mutex tableLock;
    static std::map<std::string, std::weak_ptr<TEvent>> table;

    if (alreadyExisted != nullptr) {
        *alreadyExisted = false;
    }
    if (name.empty()) {
        return std::make_shared<TEvent>(initialState);
    }
    std::lock_guard lock(tableLock);
    // Forget events whose last handle went away, so the table does not grow with names.
    std::erase_if(table, [](const auto& entry) { return entry.second.expired(); });
    if (auto existing = table[name].lock()) {
        if (alreadyExisted != nullptr) {
            *alreadyExisted = true;
        }
        return existing;
    }
    auto event = std::make_shared<TEvent>(initialState);
    table[name] = event;
    return event;
}

} // namespace vx::win
