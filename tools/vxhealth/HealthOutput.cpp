#include "vxhealth/HealthOutput.h"

#include "platform/TextCodec.h"

namespace vx::vxhealth {
namespace {

constexpr const char* const MessageSeparator = ": ";
constexpr const char* const HexDigits = "0123456789abcdef";
constexpr unsigned char FirstPrintable = 0x20;
constexpr unsigned char Delete = 0x7F;

} // namespace

std::string JsonString(std::string_view text) {
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < FirstPrintable || byte == Delete) {
            json += "\\u00";
            json += HexDigits[byte >> 4];
            json += HexDigits[byte & 0x0F];
        } else {
            json += c;
        }
    }
    return json + '"';
}

std::string ServiceMessage(const health::TWebThreadTester& tester, const std::string& displayName) {
    // The tester's messages are "<display name>: <problem>", in test order.
    const std::string start = displayName + MessageSeparator;
    for (const auto& message : tester.Messages()) {
        if (message.rfind(start, 0) == 0) {
            return win::OneLine(std::string_view(message).substr(start.size()));
        }
    }
    return {};
}

void PrintText(const health::TWebThreadTester& tester, std::ostream& out) {
    for (int index = 0; index < tester.TestCount(); ++index) {
        const auto& test = tester.Tests(index);
        out << test.DisplayName << MessageSeparator << health::ServiceStatusWords.at(test.Status)
            << "\n";
    }
    for (const auto& message : tester.Messages()) {
        out << win::OneLine(message) << "\n";
    }
}

void PrintJson(const health::TWebThreadTester& tester, std::ostream& out) {
    for (int index = 0; index < tester.TestCount(); ++index) {
        const auto& test = tester.Tests(index);
        out << "{\"name\":" << JsonString(test.DisplayName)
            << ",\"service\":" << JsonString(test.ServiceName) << ",\"port\":" << test.Port
            << ",\"status\":" << JsonString(health::ServiceStatusWords.at(test.Status))
            << ",\"message\":" << JsonString(ServiceMessage(tester, test.DisplayName)) << "}\n";
    }
}

} // namespace vx::vxhealth
