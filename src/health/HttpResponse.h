#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// What the HTTP client reads of a response: its head, and a chunked body. Parsing only; the
// client (HttpClient.h) does the reading.
namespace vx::health {

// Reads `text` as a 64-bit decimal integer the way Delphi's Val does: an optional sign, then
// digits up to the end, within the 64-bit range. On failure `badPosition` is the position (from
// 1) of the first character that does not fit, the one after the text when it ends too soon,
// and `value` is untouched.
bool ReadInt64(std::string_view text, std::int64_t& value, std::size_t& badPosition);

// Where the head at the start of `data` ends: the offset after its blank line (CR LF or a bare
// LF ends a line), or npos while it is incomplete.
std::size_t HeadEnd(std::string_view data);
// False once the first bytes of `data` cannot begin a status line ("HTTP/", in any case).
bool CouldBeStatusLine(std::string_view data);

// A response head: the status line and the header lines as received.
class THttpResponseHead {
public:
    // Parses a complete head (the bytes up to HeadEnd). False when the first line is not a
    // status line.
    bool Parse(std::string_view head);

    // The status code as the status line gives it, unread: the word after the version.
    const std::string& StatusCode() const { return FStatusCode; }
    // The value of the first header line named `name` (in any case), without the white space
    // around it.
    std::optional<std::string> Header(std::string_view name) const;
    // Whether the body comes in the chunked transfer coding.
    bool Chunked() const;

private:
    std::string FStatusCode;
    std::vector<std::pair<std::string, std::string>> FHeaders;
};

// Undoes the chunked transfer coding of a body that arrives in pieces.
class TChunkedDecoder {
public:
    // Appends the body bytes that `data` holds to `body`. False once the coding is broken
    // (what came before stays in `body`).
    bool Feed(std::string_view data, std::string& body);
    // The last chunk and the trailer have come.
    bool Done() const { return FState == TState::Done; }

private:
    enum class TState { Size, Data, DataEnd, Trailer, Done, Broken };

    void EndOfLine();

    TState FState = TState::Size;
    std::string FLine;
    std::uint64_t FLeft = 0;
};

} // namespace vx::health
