#pragma once

#include <array>

namespace vx::health {

// One of the suite's five local services: its loopback port, the name its integrity token is
// derived from, and the name the tester's messages use.
struct TSuiteService {
    int Port;
    const char* ServiceName;
    const char* DisplayName;
};

// In the order the suite's tester adds and probes them.
inline constexpr std::array<TSuiteService, 5> SuiteServices{{
    {21321, "VXUpdSvc", "Updater"},
    {21322, "VXFWSvc", "Firewall"},
    {21323, "VXFSSvc", "Scanner"},
    {21324, "VXTray", "Tray"},
    {21325, "VXMonSvc", "Monitor"},
}};

inline constexpr int UpdaterServicePort = SuiteServices[0].Port;
inline constexpr int FirewallServicePort = SuiteServices[1].Port;
inline constexpr int ScannerServicePort = SuiteServices[2].Port;
inline constexpr int TrayServicePort = SuiteServices[3].Port;
inline constexpr int MonitorServicePort = SuiteServices[4].Port;

// The tray's own order of the same services (tray service index 0 to 4).
inline constexpr int SuiteServiceCount = 5;
inline constexpr std::array<const char*, SuiteServiceCount> SuiteServiceNames{
    "VXUpdSvc", "VXFSSvc", "VXMonSvc", "VXFWSvc", "VXTray"};
inline constexpr std::array<const char*, SuiteServiceCount> SuiteServiceCaptions{
    "Updater", "Scanner", "System Monitor", "Firewall", "User Control"};

} // namespace vx::health
