#include "suite-sim/SampleDecisions.h"

#include "decisions/MonitorPeer.h"
#include "health/HttpClient.h"
#include "health/InternetErrors.h"

#include <vector>

namespace vx::suitesim {

namespace {

constexpr const char* const TrayHost = "127.0.0.1";
constexpr const char* const AcceptedReplyStart = "id=";

const std::vector<decisions::TStrings>& Samples() {
    static const std::vector<decisions::TStrings> list{
        {"decisiontype=decision", "logclass=changed", "module=Registry",
         "information=A program wants to start with Windows",
         "item=HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Updater",
         "identifiedas=Adware.Generic", "threatlevel=3", "category=Startup",
         "olddata=", "newdata=\"C:\\Program Files\\Updater\\upd.exe\" /silent"},
        {"decisiontype=filescaninfo", "logclass=added", "module=File Scanner",
         "information=50% of the file matches a known threat",
         "item=C:\\Users\\Anna\\Downloads\\setup (1).exe", "identifiedas=Trojan.Agent",
         "threatlevel=5", "category=Infected file", "olddata=", "newdata="},
        {"decisiontype=information", "logclass=status", "module=Monitor",
         "information=Real-time protection is active", "item=", "threatlevel=0"},
        {"decisiontype=decision", "logclass=deleted", "module=Hosts file",
         "information=An entry of the hosts file is to be removed",
         "item=C:\\Windows\\System32\\drivers\\etc\\hosts", "identifiedas=", "threatlevel=4",
         "category=Network", "olddata=127.0.0.1 localhost", "newdata="},
        {"decisiontype=decision", "logclass=custom", "module=Browser helper",
         "information=A browser helper object wants to register & load on start-up",
         "item={6E2D3A1C-55B0-4B8E-9C0D-2F1A7E3B9D41}", "identifiedas=BHO.Toolbar", "threatlevel=2",
         "category=Internet Explorer", "olddata=", "newdata=C:\\Program Files\\Toolbar\\tb.dll"},
    };
    return list;
}

} // namespace

decisions::TStrings SampleDecision(std::size_t number) {
    return Samples()[number % Samples().size()];
}

bool SendAddToTray(const std::string& query, std::string& reply, int port) {
    std::string body;
    std::int32_t errorCode = 0;
    const bool delivered = health::HttpGetFromHost(
        TrayHost, port, std::string(decisions::AddCommand) + "?" + query, body, errorCode);
    reply = delivered ? body : health::InternetErrorText(errorCode);
    return delivered && body.rfind(AcceptedReplyStart, 0) == 0;
}

} // namespace vx::suitesim
