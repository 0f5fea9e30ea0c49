#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vx::httpservice {

// Request limits: a request over any of them is dropped like a malformed one.
inline constexpr std::size_t MaxRequestLineLength = std::size_t{64} * 1024;
inline constexpr std::size_t MaxHeaderLineLength = std::size_t{8} * 1024;
inline constexpr int MaxHeaderLines = 100;
inline constexpr long MaxRequestBody = 1024L * 1024;

// A request as the service reads it: the request line's method, target and protocol (the
// protocol may be empty: then no header lines and no body follow), and the body that a
// Content-Length line announced.
struct THttpRequest {
    std::string Method;
    std::string Uri; // as received, without surrounding blanks
    std::string Protocol;
    std::string Body;
};

// Reads one HTTP/1.0 request from bytes as they arrive, in any pieces: lines end with CR LF
// (a bare LF is data), the method and the target are required, a protocol must begin with
// "HTTP/", header lines are read up to the empty line (only the last Content-Length line
// counts), then the body that it announces. Bytes after the request are ignored.
//
// It keeps no more than the request needs: at most a line over its limit plus one received
// piece, and the body.
class TRequestReader {
public:
    enum class TState {
        NeedMore, // no verdict yet: feed more bytes
        Complete, // Request() holds the request
        Malformed // drop the connection without a response
    };

    // Parses `bytes` as far as they go and returns the new state; once the state is Complete or
    // Malformed, further bytes are ignored.
    TState Feed(std::string_view bytes);
    // The connection's input has ended: a request not complete by now is malformed.
    TState End();

    TState State() const { return FState; }
    const THttpRequest& Request() const { return FRequest; }
    THttpRequest& Request() { return FRequest; }
    // Bytes kept for the request so far (the memory it costs).
    std::size_t Buffered() const { return FInput.size() + FRequest.Body.size(); }

private:
    enum class TPhase { RequestLine, Headers, Body };

    // The next line of FInput into `line`; false when it has not arrived yet. Sets the state
    // to Malformed when it is over `limit`.
    bool NextLine(std::string& line, std::size_t limit);
    void Parse();
    void RequestLine(const std::string& line);
    void HeaderLine(const std::string& line);
    void TakeBody();

    TState FState = TState::NeedMore;
    TPhase FPhase = TPhase::RequestLine;
    std::string FInput;        // received, not yet consumed
    std::size_t FScanned = 0;  // where to look for the next CR LF
    std::size_t FConsumed = 0; // bytes of FInput already parsed
    int FHeaderLines = 0;
    long FContentLength = -1;
    THttpRequest FRequest;
};

// Without leading and trailing white space and control characters.
std::string TrimControls(const std::string& text);

} // namespace vx::httpservice
