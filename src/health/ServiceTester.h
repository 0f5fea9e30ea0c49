#pragma once

#include "health/HttpClient.h"
#include "health/SuiteServices.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vx::health {

enum TServiceTestStatus : std::uint8_t {
    tsUntested = 0,
    tsWorking = 1,
    tsUnavailable = 2,
    tsCorrupted = 3,
    tsNotFound = 4,
};

inline constexpr std::array<const char*, 5> ServiceStatusWords{"untested", "working", "unavailable",
                                                               "corrupted", "not found"};

// One probed service and the result of its last probe.
struct TTestSet {
    int Port = 0;
    std::string ServiceName;
    std::string DisplayName;
    TServiceTestStatus Status = tsUntested;
};

// Probes local services for their integrity token: working (the right token), corrupted (an
// answer, but not the token) or unavailable (no usable answer). Used by one thread at a time.
class TWebThreadTester {
public:
    TWebThreadTester() = default;

    void AddTest(int port, const std::string& serviceName, const std::string& displayName);
    int TestCount() const { return static_cast<int>(FTests.size()); }
    // The test at a position of the order of adding.
    const TTestSet& Tests(int index) const { return FTests.at(static_cast<std::size_t>(index)); }

    // Probes the test at `index`; true exactly when it became tsWorking. An index outside the
    // tests probes nothing and gives false.
    bool TestService(int index);
    // Clears the messages, probes every test in order; true when all work. Once cancelled
    // (SetCancelled) it probes no further test and gives false.
    bool TestAll();
    // Ends a probe in flight, and the rest of TestAll, as soon as `cancelled` says so.
    void SetCancelled(TCancelled cancelled) { FCancelled = std::move(cancelled); }

    // Exact, case-sensitive name; tsNotFound when no test has it. Does not probe.
    TServiceTestStatus GetStatusByName(const std::string& serviceName) const;
    // By tray service index (SuiteServiceNames); tsNotFound outside 0 .. 4.
    TServiceTestStatus GetStatusByIndex(int index) const;

    // The problems the last TestAll found, in test order.
    const std::vector<std::string>& Messages() const { return FMessages; }

private:
    std::vector<TTestSet> FTests;
    std::vector<std::string> FMessages;
    TCancelled FCancelled;
};

// The tester of the suite's five services.
class TKorvex2WebThreadTester : public TWebThreadTester {
public:
    TKorvex2WebThreadTester();
};

} // namespace vx::health
