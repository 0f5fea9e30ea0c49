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

void TWebThreadTester::AddTest(int Port, const std::string& ServiceName,
                               const std::string& DisplayName) {
    FTests.push_back({Port, ServiceName, DisplayName, tsUntested});
}

bool TWebThreadTester::TestService(int Index) {
    if (Index < 0 || Index >= TestCount()) {
        return false;
    }
    TTestSet& Test = FTests[static_cast<std::size_t>(Index)];
    try {
        const std::string URL = ProbeUrlStart + std::to_string(Test.Port) + ProbePath;
        std::string Body;
        std::int32_t ErrorCode = 0;
        if (!HttpGetToString(URL, Body, ErrorCode)) {
            FMessages.push_back(Test.DisplayName + MessageSeparator + InternetErrorText(ErrorCode));
            Test.Status = tsUnavailable;
            return false;
        }
        if (httpservice::CheckIntegrityToken(Test.ServiceName, Body)) {
            Test.Status = tsWorking;
            return true;
        }
        FMessages.push_back(Test.DisplayName + MessageSeparator + CorruptionText);
        Test.Status = tsCorrupted;
        return false;
    } catch (...) {
        // A probe that raised leaves the status as it was and adds no message.
        return false;
    }
}

bool TWebThreadTester::TestAll() {
    FMessages.clear();
    bool AllWorking = true;
    for (int Index = 0; Index < TestCount(); ++Index) {
        if (!TestService(Index)) {
            AllWorking = false;
        }
    }
    return AllWorking;
}

TServiceTestStatus TWebThreadTester::GetStatusByName(const std::string& ServiceName) const {
    for (const auto& Test : FTests) {
        if (Test.ServiceName == ServiceName) {
            return Test.Status;
        }
    }
    return tsNotFound;
}

TServiceTestStatus TWebThreadTester::GetStatusByIndex(int Index) const {
    if (Index < 0 || Index >= SuiteServiceCount) {
        return tsNotFound;
    }
    return GetStatusByName(SuiteServiceNames[static_cast<std::size_t>(Index)]);
}

TKorvex2WebThreadTester::TKorvex2WebThreadTester() {
    for (const auto& Service : SuiteServices) {
        AddTest(Service.Port, Service.ServiceName, Service.DisplayName);
    }
}

} // namespace vx::health
