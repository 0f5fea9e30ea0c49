#pragma once

#include "platform/GlobalAtom.h"

#include <chrono>
#include <functional>

namespace vx::i18n {

// The advisory lock the suite's processes take while one loads a language: the global atom
// "qxTranslator_LanguageLoadLock". Taking it waits while another process holds it, 50 ms at a
// time and at most 10 times, and then adds the atom whether or not it was given up: a load is
// delayed by at most 500 ms, never prevented. Held until destruction.
class TLanguageLoadLock {
public:
    using TSleep = std::function<void(std::chrono::milliseconds)>;

    // `sleep` waits the time given (the real clock's sleep unless a test passes its own).
    explicit TLanguageLoadLock(const TSleep& sleep);
    ~TLanguageLoadLock();
    TLanguageLoadLock(const TLanguageLoadLock&) = delete;
    TLanguageLoadLock& operator=(const TLanguageLoadLock&) = delete;

    static constexpr const char* AtomName = "qxTranslator_LanguageLoadLock";
    static constexpr std::chrono::milliseconds WaitStep{50};
    static constexpr int MaxWaits = 10;

private:
    win::ATOM FAtom;
};

} // namespace vx::i18n
