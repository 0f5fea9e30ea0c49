#include "httpservice/RequestReader.h"

#include "platform/TextCodec.h"

#include <climits>
#include <utility>

namespace vx::httpservice {
namespace {

constexpr std::string_view ProtocolPrefix = "HTTP/";
constexpr std::string_view ContentLengthKey = "CONTENT-LENGTH:";
constexpr std::string_view LineEnd = "\r\n";

std::string StripBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

// The text before the first blank, and the text after it, both without surrounding blanks.
std::pair<std::string, std::string> SplitToken(std::string_view text) {
    const auto blank = text.find(' ');
    if (blank == std::string_view::npos) {
        return {StripBlanks(text), {}};
    }
    return {StripBlanks(text.substr(0, blank)), StripBlanks(text.substr(blank + 1))};
}

bool StartsWithUpperCased(std::string_view line, std::string_view key) {
    if (line.size() < key.size()) {
        return false;
    }
    for (std::size_t i = 0; i < key.size(); ++i) {
        char c = line[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != key[i]) {
            return false;
        }
    }
    return true;
}

// The integer after the line's first blank (leading blanks and a sign allowed, nothing
// after the digits), or -1 when that is not a valid 32-bit integer.
long ContentLength(std::string_view line) {
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos) {
        return -1;
    }
    std::size_t i = line.find_first_not_of(' ', blank);
    if (i == std::string_view::npos) {
        return -1;
    }
    bool negative = false;
    if (line[i] == '+' || line[i] == '-') {
        negative = line[i] == '-';
        ++i;
    }
    if (i == line.size()) {
        return -1;
    }
    long long value = 0;
    for (; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9') {
            return -1;
        }
        value = value * 10 + (line[i] - '0');
        if (value > INT_MAX) {
            return -1;
        }
    }
    return static_cast<long>(negative ? -value : value);
}

} // namespace

TRequestReader::TState TRequestReader::Feed(std::string_view bytes) {
    if (FState != TState::NeedMore) {
        return FState;
    }
    FInput.append(bytes);
    Parse();
    if (FState != TState::NeedMore) {
        FInput = std::string(); // what follows the request is never read
        FScanned = FConsumed = 0;
    } else if (FConsumed > 0 && FConsumed * 2 >= FInput.size()) {
        FInput.erase(0, FConsumed);
        FScanned -= FConsumed;
        FConsumed = 0;
    }
    return FState;
}

TRequestReader::TState TRequestReader::End() {
    if (FState == TState::NeedMore) {
        FState = TState::Malformed;
        FInput = std::string();
    }
    return FState;
}

bool TRequestReader::NextLine(std::string& line, std::size_t limit) {
    const auto end = FInput.find(LineEnd, FScanned);
    if (end == std::string::npos) {
        // Without its CR LF the line is already longer than allowed.
        if (FInput.size() - FConsumed > limit + 1) {
            FState = TState::Malformed;
        }
        // A CR at the end may still be followed by its LF.
        FScanned = FInput.size() > FConsumed ? FInput.size() - 1 : FConsumed;
        return false;
    }
    if (end - FConsumed > limit) {
        FState = TState::Malformed;
        return false;
    }
    line.assign(FInput, FConsumed, end - FConsumed);
    FConsumed = FScanned = end + LineEnd.size();
    return true;
}

void TRequestReader::Parse() {
    std::string line;
    while (FState == TState::NeedMore) {
        switch (FPhase) {
        case TPhase::RequestLine:
            if (!NextLine(line, MaxRequestLineLength)) {
                return;
            }
            RequestLine(line);
            break;
        case TPhase::Headers:
            if (!NextLine(line, MaxHeaderLineLength)) {
                return;
            }
            HeaderLine(line);
            break;
        case TPhase::Body:
            TakeBody();
            return;
        }
    }
}

void TRequestReader::RequestLine(const std::string& line) {
    auto [method, afterMethod] = SplitToken(line);
    if (line.empty() || method.empty() || afterMethod.empty()) {
        FState = TState::Malformed;
        return;
    }
    auto [uri, afterUri] = SplitToken(afterMethod);
    if (uri.empty()) {
        FState = TState::Malformed;
        return;
    }
    FRequest.Method = std::move(method);
    FRequest.Uri = std::move(uri);
    FRequest.Protocol = SplitToken(afterUri).first;
    if (FRequest.Protocol.empty()) {
        FState = TState::Complete; // no header lines and no body without a protocol
    } else if (!FRequest.Protocol.starts_with(ProtocolPrefix)) {
        FState = TState::Malformed;
    } else {
        FPhase = TPhase::Headers;
    }
}

void TRequestReader::HeaderLine(const std::string& line) {
    if (line.empty()) {
        if (FContentLength > MaxRequestBody) {
            FState = TState::Malformed;
        } else if (FContentLength < 0) {
            FState = TState::Complete;
        } else {
            FRequest.Body.reserve(static_cast<std::size_t>(FContentLength));
            FPhase = TPhase::Body;
        }
        return;
    }
    if (FHeaderLines == MaxHeaderLines) {
        FState = TState::Malformed;
        return;
    }
    ++FHeaderLines;
    if (StartsWithUpperCased(line, ContentLengthKey)) {
        FContentLength = ContentLength(line);
    }
}

void TRequestReader::TakeBody() {
    const auto wanted = static_cast<std::size_t>(FContentLength) - FRequest.Body.size();
    const std::size_t available = FInput.size() - FConsumed;
    const std::size_t taken = available < wanted ? available : wanted;
    FRequest.Body.append(FInput, FConsumed, taken);
    FConsumed += taken;
    FScanned = FConsumed;
    if (FRequest.Body.size() == static_cast<std::size_t>(FContentLength)) {
        FState = TState::Complete;
    }
}

std::string TrimControls(const std::string& text) {
    return std::string(win::Trim(text));
}

} // namespace vx::httpservice
