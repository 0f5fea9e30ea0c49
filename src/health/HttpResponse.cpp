#include "health/HttpResponse.h"

#include "platform/TextCodec.h"

#include <algorithm>
#include <limits>

namespace vx::health {

namespace {

constexpr std::string_view StatusLinePrefix = "HTTP/";
constexpr std::string_view ChunkedCoding = "chunked";
// A chunk-size or trailer line longer than this is taken as a broken coding, so that a peer
// cannot make the client collect one line without end.
constexpr std::size_t MaxChunkLine = 4096;
// More hex digits than this cannot be a chunk size that fits in 64 bits.
constexpr std::size_t MaxChunkSizeDigits = 15;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

bool ReadInt64(std::string_view text, std::int64_t& value, std::size_t& badPosition) {
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        ++i;
    }
    // Gathered as a negative number, whose range holds the lowest value too.
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    std::int64_t result = 0;
    const std::size_t firstDigit = i;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            break;
        }
        const int digit = c - '0';
        if (result < (lowest + digit) / 10) {
            break; // one digit too many for 64 bits
        }
        result = result * 10 - digit;
    }
    if (i < text.size() || i == firstDigit) {
        badPosition = i + 1;
        return false;
    }
    if (!negative && result == lowest) {
        badPosition = text.size(); // the last digit went one past the highest value
        return false;
    }
    value = negative ? result : -result;
    return true;
}

std::size_t HeadEnd(std::string_view data) {
    for (std::size_t newline = data.find('\n'); newline != std::string_view::npos;
         newline = data.find('\n', newline + 1)) {
        const std::string_view rest = data.substr(newline + 1);
        if (rest.starts_with('\n')) {
            return newline + 2;
        }
        if (rest.starts_with("\r\n")) {
            return newline + 3;
        }
    }
    return std::string_view::npos;
}

bool CouldBeStatusLine(std::string_view data) {
    const std::size_t length = std::min(data.size(), StatusLinePrefix.size());
    return win::SameText(data.substr(0, length), StatusLinePrefix.substr(0, length));
}

bool THttpResponseHead::Parse(std::string_view head) {
    FStatusCode.clear();
    FHeaders.clear();
    bool first = true;
    while (!head.empty()) {
        const std::size_t newline = head.find('\n');
        std::string_view line = head.substr(0, newline);
        head.remove_prefix(newline == std::string_view::npos ? head.size() : newline + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (first) {
            first = false;
            if (line.size() < StatusLinePrefix.size() || !CouldBeStatusLine(line)) {
                return false;
            }
            // "HTTP/1.0 200 OK": the version, the status code, the reason.
            std::string_view rest = line.substr(std::min(line.find(' '), line.size()));
            while (rest.starts_with(' ')) {
                rest.remove_prefix(1);
            }
            FStatusCode = std::string(rest.substr(0, rest.find(' ')));
            continue;
        }
        if (line.empty()) {
            break;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) {
            continue; // not a header line; nothing asks for it
        }
        FHeaders.emplace_back(std::string(Trim(line.substr(0, colon))),
                              std::string(Trim(line.substr(colon + 1))));
    }
    return !first;
}

std::optional<std::string> THttpResponseHead::Header(std::string_view name) const {
    const auto found = std::find_if(FHeaders.begin(), FHeaders.end(), [&](const auto& header) {
        return win::SameText(header.first, name);
    });
    if (found == FHeaders.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool THttpResponseHead::Chunked() const {
    const auto coding = Header("Transfer-Encoding");
    if (!coding) {
        return false;
    }
    // The last coding applied is the one undone first; only "chunked" is undone here.
    std::string_view last = *coding;
    if (const auto comma = last.rfind(','); comma != std::string_view::npos) {
        last.remove_prefix(comma + 1);
    }
    return win::SameText(Trim(last), ChunkedCoding);
}

bool TChunkedDecoder::Feed(std::string_view data, std::string& body) {
    while (!data.empty() && FState != TState::Done && FState != TState::Broken) {
        if (FState == TState::Data) {
            const std::size_t taken =
                static_cast<std::size_t>(std::min<std::uint64_t>(FLeft, data.size()));
            body.append(data.substr(0, taken));
            data.remove_prefix(taken);
            FLeft -= taken;
            if (FLeft == 0) {
                FState = TState::DataEnd;
            }
            continue;
        }
        const std::size_t newline = data.find('\n');
        FLine.append(data.substr(0, newline));
        if (FLine.size() > MaxChunkLine) {
            FState = TState::Broken;
            break;
        }
        if (newline == std::string_view::npos) {
            break;
        }
        data.remove_prefix(newline + 1);
        if (FLine.ends_with('\r')) {
            FLine.pop_back();
        }
        EndOfLine();
        FLine.clear();
    }
    return FState != TState::Broken;
}

void TChunkedDecoder::EndOfLine() {
    switch (FState) {
    case TState::Size: {
        // The size in hex, then perhaps ";" and extensions, which are ignored.
        std::size_t digits = 0;
        std::uint64_t size = 0;
        for (; digits < FLine.size() && win::HexDigit(FLine[digits]) >= 0; ++digits) {
            size = size * 16 + static_cast<std::uint64_t>(win::HexDigit(FLine[digits]));
        }
        const std::string_view rest = Trim(std::string_view(FLine).substr(digits));
        if (digits == 0 || digits > MaxChunkSizeDigits || (!rest.empty() && rest[0] != ';')) {
            FState = TState::Broken;
        } else if (size == 0) {
            FState = TState::Trailer;
        } else {
            FLeft = size;
            FState = TState::Data;
        }
        break;
    }
    case TState::DataEnd:
        FState = FLine.empty() ? TState::Size : TState::Broken;
        break;
    case TState::Trailer:
        if (FLine.empty()) {
            FState = TState::Done;
        }
        break;
    default:
        break;
    }
}

} // namespace vx::health
