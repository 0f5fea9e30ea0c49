#pragma once

#include <cstdint>
#include <string>

namespace vx::app {

// The kinds of information report (kind 2 is never reported).
enum TWelcomeInfoKind : std::uint8_t {
    wiScannerVersion = 0,
    wiLastUpdate = 1,
    wiDatabaseSize = 3,
};

// Where the status loader's reports go: the tray status window. Both methods run on the
// user-interface thread, one at a time and in the order of the reports, while the loader
// waits for them; an exception they throw fails the loader's cycle (logged, the next cycle
// runs).
class TWelcomeInfoSink {
public:
    virtual ~TWelcomeInfoSink() = default;

    // `kind`: TWelcomeInfoKind. When `available` is false, `text` is empty.
    virtual void ShowWelcomeInfo(std::uint8_t kind, bool available, const std::string& text) = 0;
    // `index`: the tray service index 0 to 4; `status`: a health::TServiceTestStatus 0 to 4.
    virtual void ShowServiceStatus(std::uint8_t index, std::uint8_t status) = 0;
};

} // namespace vx::app
