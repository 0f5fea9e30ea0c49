#include "httpservice/ResponseSender.h"

#include <algorithm>
#include <cerrno>

namespace vx::httpservice {
namespace {

using TClock = std::chrono::steady_clock;

struct TPiece {
    std::string_view Bytes;
    bool Skippable = false; // a header line: skipped when the connection does not take it in time
};

int Milliseconds(std::chrono::milliseconds wait, TClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
    return static_cast<int>(std::max<long long>(0, std::min(wait.count(), left.count())));
}

} // namespace

bool SendResponse(TTcpSocket& socket, std::string_view statusLine,
                  const std::vector<std::string>& headerLines, std::string_view body,
                  const TSendLimits& limits) {
    std::vector<TPiece> pieces;
    pieces.reserve(headerLines.size() + 2);
    pieces.push_back({statusLine});
    for (const auto& line : headerLines) {
        pieces.push_back({line, true});
    }
    const std::size_t bodyIndex = pieces.size();
    pieces.push_back({body});

    const auto deadline = TClock::now() + limits.Deadline;
    std::vector<std::string_view> pending;
    std::size_t index = 0;
    std::size_t offset = 0; // bytes of pieces[index] already sent
    while (index < pieces.size()) {
        pending.clear();
        pending.push_back(pieces[index].Bytes.substr(offset));
        for (std::size_t i = index + 1; i < pieces.size(); ++i) {
            pending.push_back(pieces[i].Bytes);
        }
        long sent = socket.SendSome(pending);
        const bool progressed = sent > 0;
        if (sent < 0 && socket.LastError() != EAGAIN && socket.LastError() != EWOULDBLOCK) {
            return true; // the connection failed: nothing more can go, the body included
        }
        // What went out, piece by piece.
        for (; sent > 0 && index < pieces.size(); ++index, offset = 0) {
            const std::size_t left = pieces[index].Bytes.size() - offset;
            if (static_cast<std::size_t>(sent) < left) {
                offset += static_cast<std::size_t>(sent);
                break;
            }
            sent -= static_cast<long>(left);
        }
        if (index >= pieces.size() || (index == bodyIndex && body.empty())) {
            return true;
        }
        if (progressed) {
            continue; // part went: try the rest at once
        }
        const bool lineStart = pieces[index].Skippable && offset == 0;
        const int wait = Milliseconds(lineStart ? limits.HeaderLineWait : limits.Wait, deadline);
        switch (socket.WaitWritable(wait)) {
        case TTcpSocket::TWait::Ready:
            break;
        case TTcpSocket::TWait::TimedOut:
            if (!lineStart || TClock::now() >= deadline) {
                return false; // the response is given up
            }
            ++index; // a header line that cannot be written in time is skipped
            break;
        case TTcpSocket::TWait::Failed:
            return true;
        }
    }
    return true;
}

} // namespace vx::httpservice
