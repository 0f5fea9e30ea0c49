#include "health/ServiceTester.h"

#include "health/HttpClient.h"
#include "health/InternetErrors.h"
#include "httpservice/IntegrityToken.h"

namespace vx::health {

namespace {

constexpr const char* const ProbeUrlStart = "http://127.0.0.1:";
constexpr const char* const ProbePath = "/integrity-local";
constexpr const char* const MessageSeparator = ": ";
constexpr const char* const CorruptionText = "integrity check shows possible corruption";

} // namespace

void TWebThreadTester::AddTest(int port, const std::string& serviceName,
                               const std::string& displayName) {
    FTests.push_back({port, serviceName, displayName, tsUntested});
}

bool TWebThreadTester::TestService(int index) {
    if (index < 0 || index >= TestCount()) {
        return false;
    }
    TTestSet& test = FTests[static_cast<std::size_t>(index)];
    try {
        const std::string url = ProbeUrlStart + std::to_string(test.Port) + ProbePath;
        std::string body;
        std::int32_t errorCode = 0;
        if (!HttpGetToString(url, body, errorCode, FCancelled)) {
            FMessages.push_back(test.DisplayName + MessageSeparator + InternetErrorText(errorCode));
            test.Status = tsUnavailable;
            return false;
        }
        if (httpservice::CheckIntegrityToken(test.ServiceName, body)) {
            test.Status = tsWorking;
            return true;
        }
        FMessages.push_back(test.DisplayName + MessageSeparator + CorruptionText);
        test.Status = tsCorrupted;
        return false;
    } catch (...) {
        // A probe that raised leaves the status as it was and adds no message.
        return false;
    }
}

bool TWebThreadTester::TestAll() {
    FMessages.clear();
    bool allWorking = true;
    for (int index = 0; index < TestCount(); ++index) {
        if (FCancelled && FCancelled()) {
            return false;
        }
        if (!TestService(index)) {
            allWorking = false;
        }
    }
    return allWorking;
}

TServiceTestStatus TWebThreadTester::GetStatusByName(const std::string& serviceName) const {
    for (const auto& test : FTests) {
        if (test.ServiceName == serviceName) {
            return test.Status;
        }
    }
    return tsNotFound;
}

TServiceTestStatus TWebThreadTester::GetStatusByIndex(int index) const {
    if (index < 0 || index >= SuiteServiceCount) {
        return tsNotFound;
    }
    return GetStatusByName(SuiteServiceNames[static_cast<std::size_t>(index)]);
}

TKorvex2WebThreadTester::TKorvex2WebThreadTester() {
    for (const auto& service : SuiteServices) {
        AddTest(service.Port, service.ServiceName, service.DisplayName);
    }
}

} // namespace vx::health
