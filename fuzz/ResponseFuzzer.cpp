// fuzz_response: what a local service answers the HTTP client. Any local process can listen on
// a probed port, so the head and the chunked body are hostile input. The first byte chooses
// where the body is split in two; the rest is the answer. The end of the head, the status
// number and the chunked decoding are compared with plain readings of their rules, and the
// decoding must not depend on how the body arrives.

#include "fuzz/Check.h"
#include "health/HttpResponse.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace vx::fuzz {
namespace {

// The head ends after the first empty line that follows a line (the status line, even an
// empty one, is never the end); a line ends at LF, a CR before it included.
std::size_t ReferenceHeadEnd(std::string_view data) {
    const std::size_t first = data.find('\n');
    if (first == std::string_view::npos) {
        return std::string_view::npos;
    }
    std::size_t start = first + 1;
    for (std::size_t at = data.find('\n', start); at != std::string_view::npos;
         at = data.find('\n', start)) {
        const std::string_view line = data.substr(start, at - start);
        if (line.empty() || line == "\r") {
            return at + 1;
        }
        start = at + 1;
    }
    return std::string_view::npos;
}

// An optional sign and at least one digit, nothing else, within the 64-bit range.
bool ReferenceInt64(std::string_view text, std::int64_t& value) {
    bool negative = false;
    std::size_t at = 0;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        at = 1;
    }
    if (at == text.size()) {
        return false;
    }
    // Accumulated as a negative number, whose range reaches the lowest value.
    std::int64_t number = 0;
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    for (; at < text.size(); ++at) {
        if (text[at] < '0' || text[at] > '9') {
            return false;
        }
        const int digit = text[at] - '0';
        if (number < (lowest + digit) / 10) {
            return false;
        }
        number = number * 10 - digit;
    }
    if (!negative && number == lowest) {
        return false;
    }
    value = negative ? number : -number;
    return true;
}

void CheckStatus(std::string_view status) {
    std::int64_t read = 7;
    std::int64_t expected = 7;
    std::size_t badPosition = 0;
    const bool ok = health::ReadInt64(status, read, badPosition);
    if (ok != ReferenceInt64(status, expected) || read != expected) {
        Fail("ReadInt64 differs from the rule");
    }
    if (!ok && (badPosition == 0 || badPosition > status.size() + 1)) {
        Fail("ReadInt64 names a position outside the text");
    }
}

void CheckChunked(std::string_view body, std::size_t split) {
    health::TChunkedDecoder whole;
    std::string wholeBody;
    const bool wholeOk = whole.Feed(body, wholeBody);
    health::TChunkedDecoder pieces;
    std::string piecesBody;
    const bool firstOk = pieces.Feed(body.substr(0, split), piecesBody);
    const bool piecesOk = firstOk && pieces.Feed(body.substr(split), piecesBody);
    if (wholeOk != piecesOk || wholeBody != piecesBody || whole.Done() != pieces.Done()) {
        Fail("the chunked body decodes differently when it arrives in two pieces");
    }
    if (wholeBody.size() > body.size()) {
        Fail("the decoded body is longer than what came");
    }
}

} // namespace
} // namespace vx::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vx::fuzz;
    if (size == 0) {
        return 0;
    }
    const std::string_view answer(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t headEnd = vx::health::HeadEnd(answer);
    if (headEnd != ReferenceHeadEnd(answer)) {
        Fail("HeadEnd differs from the rule");
    }
    if (headEnd == std::string_view::npos) {
        return 0;
    }
    vx::health::THttpResponseHead head;
    if (head.Parse(answer.substr(0, headEnd))) {
        if (!vx::health::CouldBeStatusLine(answer)) {
            Fail("a head that parsed does not begin like a status line");
        }
        CheckStatus(head.StatusCode());
        (void)head.Header("Content-Length");
        (void)head.Chunked();
    }
    const std::string_view body = answer.substr(headEnd);
    CheckChunked(body, body.empty() ? 0 : data[0] % (body.size() + 1));
    return 0;
}
