#pragma once

#include "platform/NamedEvent.h"

#include <memory>
#include <string>
#include <vector>

namespace vx::app {

// The tray's process-wide services, brought up in their fixed order on the main thread before
// any window or worker exists, and released in the reverse order when this object goes (after
// the main window and its workers are gone):
//   the machine (prefix and registry), the registry cache, the thread-control events, the
//   "QEL HiveManager" event source and the hive manager, the HKEY_USERS names, the
//   configuration manager, the translator, the path placeholder tables, the HTTP client set-up,
//   the temporary-folder cleaner's settings and popup window class, the volume scan, the dialog
//   texts and the "Korvex - Thornet 2" event source, the machine key.
// The service log's lock and the decision server's lock exist from first use.
//
// A machine that cannot be opened is reported on standard error and the program runs without
// a registry: every configuration read then finds nothing. Path placeholder tables that cannot
// be built are reported the same way.
class TProcessServices {
public:
    // `defaultTitle`: the application's title before the product's own is set (the
    // executable's base name); the configuration manager starts with it.
    explicit TProcessServices(const std::string& defaultTitle);
    ~TProcessServices();
    TProcessServices(const TProcessServices&) = delete;
    TProcessServices& operator=(const TProcessServices&) = delete;

private:
    std::vector<std::shared_ptr<win::TEvent>> FThreadControlEvents;
};

} // namespace vx::app
