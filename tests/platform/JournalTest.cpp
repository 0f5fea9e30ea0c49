// The event log against the machine's real journal, read back with journalctl. Skipped where no
// journal runs (scripts/start-journald starts one in a container).
#include "platform/EventLog.h"
#include "platform/EventLogEntry.h"
#include "platform/Files.h"
#include "platform/SystemLog.h"
#include "support/ChildProcess.h"
#include "support/LoopbackPort.h"
#include "support/X11Session.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vx::win {
namespace {

using namespace std::chrono_literals;

// Whether a journal takes entries: a socket that nobody reads refuses the connection.
bool JournalAccepts() {
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return false;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, JournalSocket, sizeof address.sun_path - 1);
    const bool connected =
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

// The fields of the first entry of journalctl's export format: "NAME=value" lines, or for a
// value with line breaks or other bytes the name's line, its size (64 bits, little-endian),
// the bytes and a line end. A blank line ends the entry.
TJournalFields FirstExportedEntry(const std::string& text) {
    TJournalFields fields;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        if (end == std::string::npos || end == pos) {
            break;
        }
        const std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos) {
            fields.push_back({line.substr(0, equals), line.substr(equals + 1)});
            continue;
        }
        if (pos + 8 > text.size()) {
            break;
        }
        std::uint64_t size = 0;
        for (int i = 7; i >= 0; --i) {
            size =
                (size << 8) | static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]);
        }
        pos += 8;
        fields.push_back({line, text.substr(pos, static_cast<std::size_t>(size))});
        pos += static_cast<std::size_t>(size) + 1;
    }
    return fields;
}

TEST(Journal, AnEventIsFoundByTheExecutablesNameAndItsSourceWithEveryField) {
    if (!JournalAccepts()) {
        GTEST_SKIP() << "no journal runs here (" << JournalSocket << ")";
    }
    const auto journalctl = test::FindProgram("journalctl");
    if (!journalctl) {
        GTEST_SKIP() << "journalctl is not installed";
    }
    // A source no other entry has, with the blanks of the product's own.
    const std::string source =
        "Korvex - Thornet 2 test " + std::to_string(::getpid()) + " " +
        std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
    const TEventRecord event{
        source, EVENTLOG_WARNING_TYPE, 3, 100, {"Scanner: 12002: timed out\r\n", "a=b", ""}};
    ASSERT_TRUE(WriteEventLog(event.Type, event.Category, source, event.Strings));

    const std::vector<std::string> query{"--no-pager",
                                         "-o",
                                         "export",
                                         "-t",
                                         ExecutableFileName(),
                                         std::string(EventSourceField) + "=" + source};
    std::string output;
    // journald takes the entry in its own time.
    const bool found = test::PollUntil(
        [&] {
            output = test::TChildProcess::Run(*journalctl, query).second;
            return output.find(EventSourceField) != std::string::npos;
        },
        10s);
    if (!found && output.find("permission") != std::string::npos) {
        GTEST_SKIP() << "this user cannot read the journal: " << output;
    }
    ASSERT_TRUE(found) << output;
    const TJournalFields entry = FirstExportedEntry(output);
    for (const auto& field : JournalFields(event, ExecutableFileName())) {
        SCOPED_TRACE(field.Name);
        EXPECT_NE(std::find(entry.begin(), entry.end(), field), entry.end());
    }
}

} // namespace
} // namespace vx::win
