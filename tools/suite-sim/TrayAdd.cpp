#include "suite-sim/TrayAdd.h"

#include "decisions/MonitorPeer.h"
#include "decisions/URLCommand.h"
#include "health/HttpClient.h"
#include "health/HttpConnection.h"
#include "health/HttpResponse.h"
#include "health/InternetErrors.h"
#include "platform/TextCodec.h"

#include <charconv>
#include <vector>

namespace vx::suitesim {
namespace {

constexpr const char* const TrayHost = "127.0.0.1";
constexpr const char* const RequestStart = "GET ";
constexpr const char* const QueryStart = "?";
constexpr const char* const RequestEnd = " HTTP/1.0\r\nHost: 127.0.0.1:";
constexpr const char* const RequestHeadEnd = "\r\n\r\n";
constexpr const char* const AcceptedReplyStart = "id=";
constexpr const char* const ModuleField = "module";
constexpr const char* const InformationField = "information";

constexpr const char* const FieldsRequiredText =
    "not accepted: the fields module and information are required";
constexpr const char* const MissingStart = " (";
constexpr const char* const MissingBoth = "both are missing)";
constexpr const char* const MissingOne = " is missing)";
constexpr const char* const BoundsText =
    "not accepted: the tray's pending decisions are at their bound, in number or in text; its "
    "service log says which: curl http://127.0.0.1:";
constexpr const char* const LogPath = "/log";
constexpr const char* const NoIdentifierText =
    "not accepted: the tray's answer names no new decision";
constexpr const char* const OtherStatusText = "not accepted: the tray answered ";
constexpr const char* const NoAnswerText = "no answer from the tray: ";

constexpr int StatusOk = 200;
constexpr int StatusRejected = 504;
constexpr std::size_t MaxAnswer = std::size_t{1} << 20;
constexpr std::size_t ReceiveChunk = 4096;

void ReadStatus(const std::string& head, TTrayAnswer& answer) {
    std::string line = head.substr(0, head.find('\n'));
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    answer.StatusLine = line;
    health::THttpResponseHead parsed;
    if (parsed.Parse(head)) {
        const std::string& code = parsed.StatusCode();
        int status = 0;
        const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), status);
        if (error == std::errc() && end == code.data() + code.size()) {
            answer.Status = status;
        }
    }
}

} // namespace

TTrayAnswer AddToTray(const std::string& query, int port) {
    TTrayAnswer answer;
    const auto start = health::THttpConnection::TClock::now();
    health::THttpConnection connection(start + health::DefaultRequestTimeout, {});
    std::int32_t error = connection.Connect(TrayHost, port, start + health::DefaultConnectTimeout);
    if (error == 0) {
        error = connection.Send(RequestStart +
                                health::EscapePath(decisions::AddCommand + (QueryStart + query)) +
                                RequestEnd + std::to_string(port) + RequestHeadEnd);
    }
    std::string received;
    std::vector<char> buffer(ReceiveChunk);
    while (error == 0 && received.size() < MaxAnswer) {
        const long got = connection.Receive(buffer.data(), buffer.size());
        if (got < 0) {
            error = connection.Error();
        } else if (got == 0) {
            break;
        } else {
            received.append(buffer.data(), static_cast<std::size_t>(got));
        }
    }
    // What came before a failed read is still the answer.
    if (received.empty() || !health::CouldBeStatusLine(received)) {
        // Windows' message texts end in a line break; the reason is one line.
        answer.Failure = win::OneLine(
            health::InternetErrorText(error != 0 ? error : health::ErrorHttpInvalidServerResponse));
        return answer;
    }
    const std::size_t headEnd = health::HeadEnd(received);
    const std::string head = received.substr(0, headEnd);
    ReadStatus(head, answer);
    if (headEnd != std::string::npos) {
        answer.Body = received.substr(headEnd);
    }
    return answer;
}

bool Accepted(const TTrayAnswer& answer) {
    return answer.Status == StatusOk && answer.Body.rfind(AcceptedReplyStart, 0) == 0;
}

std::string RefusalReason(const std::string& query, const TTrayAnswer& answer) {
    if (answer.StatusLine.empty()) {
        return NoAnswerText + answer.Failure;
    }
    if (answer.Status == StatusOk) {
        return NoIdentifierText;
    }
    if (answer.Status != StatusRejected) {
        return OtherStatusText + answer.StatusLine;
    }
    // The fields as the tray's add reads them: split at "&", decoded, split into lines.
    std::string command;
    decisions::TStrings fields;
    decisions::SplitURLCommand(decisions::AddCommand + (QueryStart + query), command, fields);
    fields = decisions::SplitTextLines(decisions::URLDecode(decisions::LinesAsText(fields)));
    const bool module = decisions::HasKey(fields, ModuleField);
    const bool information = decisions::HasKey(fields, InformationField);
    if (module && information) {
        return BoundsText + std::to_string(health::TrayServicePort) + LogPath;
    }
    return FieldsRequiredText + std::string(MissingStart) +
           (!module && !information
                ? std::string(MissingBoth)
                : (module ? InformationField : ModuleField) + std::string(MissingOne));
}

} // namespace vx::suitesim
