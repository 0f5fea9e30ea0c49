// Loads a local HTTP service the way a hostile local process can, while a well-behaved client
// probes it, and reports what the probe saw and what the service cost. Loopback only; every
// run is bounded by --seconds.
//
//   hostile_load --port P --pid PID --seconds S [--idle N] [--slow N] [--trickle N]
//                [--readers N] [--reader-path PATH] [--probe-ms MS]
//
//   --idle N     connections that send nothing
//   --slow N     connections that send a request line one byte every 3 s
//   --trickle N  connections that send a complete head announcing a 1 MiB body, then one body
//                byte every 3 s
//   --readers N  connections that ask for PATH (default /list) and read 4 KiB every 2 s
//   --probe-ms   a probe of /integrity-local every MS (default 500); each waits at most 10 s
//   --fill N     first, N decisions added one after another, each with B bytes of text
//                (--fill-bytes B, default 3200); how many were taken is reported
//
// Prints one line of key=value pairs: probes sent and answered, probe latencies (p50, p99,
// max, ms), the connections the load held open at the end, and the service's peak threads
// and resident memory (from /proc/PID/status, sampled every 100 ms).
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct TOptions {
    int Port = 0;
    int Pid = 0;
    int Seconds = 60;
    int Idle = 0;
    int Slow = 0;
    int Trickle = 0;
    int Readers = 0;
    std::string ReaderPath = "/list";
    int ProbeMs = 500;
    int Fill = 0;
    int FillBytes = 3200;
};

enum class TKind { Idle, Slow, Trickle, Reader };

struct TConnection {
    int Fd = -1;
    TKind Kind = TKind::Idle;
    std::string Pending; // bytes still to send, one at a time (Slow, Trickle)
    TClock::time_point Next;
    bool Closed = false;
};

int Connect(int port, bool nonBlocking) {
    const int fd =
        ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int result = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (result != 0 && errno != EINPROGRESS) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Sends `request` on a new connection; true when a whole answer with status 200 came back
// within 10 s.
bool Ask(int port, std::string_view request) {
    const int fd = Connect(port, false);
    if (fd < 0) {
        return false;
    }
    ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string answer;
    char buffer[4096];
    const auto deadline = TClock::now() + 10s;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - TClock::now());
        pollfd p{fd, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            ::close(fd);
            return false;
        }
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) {
            break;
        }
        answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return answer.rfind("HTTP/1.0 200\r\n", 0) == 0;
}

// One probe: the latency of a whole answer, or a negative value when none came in 10 s.
double Probe(int port) {
    const auto start = TClock::now();
    if (!Ask(port, "GET /integrity-local HTTP/1.0\r\n\r\n")) {
        return -1;
    }
    return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

// "<threads> <resident KiB>" of the service, 0 0 when it cannot be read.
std::pair<long, long> Sample(int pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    long threads = 0;
    long rss = 0;
    while (status >> key) {
        if (key == "Threads:") {
            status >> threads;
        } else if (key == "VmRSS:") {
            status >> rss;
        }
        status.ignore(1 << 20, '\n');
    }
    return {threads, rss};
}

TOptions Parse(int argc, char** argv) {
    TOptions options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char* value = argv[i + 1];
        if (key == "--port") {
            options.Port = std::atoi(value);
        } else if (key == "--pid") {
            options.Pid = std::atoi(value);
        } else if (key == "--seconds") {
            options.Seconds = std::atoi(value);
        } else if (key == "--idle") {
            options.Idle = std::atoi(value);
        } else if (key == "--slow") {
            options.Slow = std::atoi(value);
        } else if (key == "--trickle") {
            options.Trickle = std::atoi(value);
        } else if (key == "--readers") {
            options.Readers = std::atoi(value);
        } else if (key == "--reader-path") {
            options.ReaderPath = value;
        } else if (key == "--probe-ms") {
            options.ProbeMs = std::atoi(value);
        } else if (key == "--fill") {
            options.Fill = std::atoi(value);
        } else if (key == "--fill-bytes") {
            options.FillBytes = std::atoi(value);
        } else {
            std::fprintf(stderr, "hostile_load: unknown option %s\n", key.c_str());
            std::exit(2);
        }
    }
    if (options.Port <= 0 || options.Pid <= 0 || options.Seconds <= 0 || options.Seconds > 3600) {
        std::fprintf(stderr, "usage: hostile_load --port P --pid PID --seconds S (1..3600) "
                             "[--idle N] [--slow N] [--trickle N] [--readers N] "
                             "[--reader-path PATH] [--probe-ms MS]\n");
        std::exit(2);
    }
    return options;
}

} // namespace

int main(int argc, char** argv) {
    const TOptions options = Parse(argc, argv);
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);

    int filled = 0;
    for (int i = 0; i < options.Fill; ++i) {
        const std::string request = "GET /add?module=m&information=" +
                                    std::string(static_cast<std::size_t>(options.FillBytes), 'i') +
                                    " HTTP/1.0\r\n\r\n";
        filled += Ask(options.Port, request) ? 1 : 0;
    }

    std::vector<TConnection> load;
    const auto now = TClock::now();
    auto open = [&](int count, TKind kind, const std::string& bytes) {
        for (int i = 0; i < count; ++i) {
            TConnection connection{Connect(options.Port, true), kind, bytes, now, false};
            if (connection.Fd >= 0) {
                load.push_back(std::move(connection));
            }
        }
    };
    open(options.Idle, TKind::Idle, {});
    open(options.Slow, TKind::Slow, "GET /integrity-local HTTP/1.0\r\n\r\n");
    const std::string trickleHead = "POST /add HTTP/1.0\r\nContent-Length: 1048576\r\n\r\n";
    open(options.Trickle, TKind::Trickle, std::string(std::size_t{1024} * 1024, 'x'));
    open(options.Readers, TKind::Reader, "GET " + options.ReaderPath + " HTTP/1.0\r\n\r\n");
    for (auto& c : load) {
        if (c.Kind == TKind::Trickle) {
            ::send(c.Fd, trickleHead.data(), trickleHead.size(), MSG_NOSIGNAL);
        } else if (c.Kind == TKind::Reader) {
            ::send(c.Fd, c.Pending.data(), c.Pending.size(), MSG_NOSIGNAL);
            c.Pending.clear();
        }
    }

    std::vector<double> latencies;
    int sent = 0;
    long peakThreads = 0;
    long peakRss = 0;
    const auto end = now + std::chrono::seconds(options.Seconds);
    auto nextProbe = now + 1s;
    auto nextSample = now;
    char buffer[4096];
    while (TClock::now() < end) {
        const auto t = TClock::now();
        if (t >= nextSample) {
            const auto [threads, rss] = Sample(options.Pid);
            peakThreads = std::max(peakThreads, threads);
            peakRss = std::max(peakRss, rss);
            nextSample = t + 100ms;
        }
        for (auto& c : load) {
            if (c.Closed || t < c.Next) {
                continue;
            }
            if ((c.Kind == TKind::Slow || c.Kind == TKind::Trickle) && !c.Pending.empty()) {
                if (::send(c.Fd, c.Pending.data(), 1, MSG_NOSIGNAL | MSG_DONTWAIT) == 1) {
                    c.Pending.erase(0, 1);
                } else if (errno != EAGAIN) {
                    c.Closed = true;
                }
                c.Next = t + 3s;
            } else if (c.Kind == TKind::Reader) {
                const ssize_t n = ::recv(c.Fd, buffer, sizeof buffer, MSG_DONTWAIT);
                if (n == 0 || (n < 0 && errno != EAGAIN)) {
                    c.Closed = true;
                }
                c.Next = t + 2s;
            } else if (c.Kind == TKind::Idle) {
                pollfd p{c.Fd, POLLIN, 0};
                if (::poll(&p, 1, 0) == 1 && ::recv(c.Fd, buffer, 1, MSG_DONTWAIT) <= 0) {
                    c.Closed = true;
                }
                c.Next = t + 1s;
            }
        }
        if (t >= nextProbe) {
            ++sent;
            const double latency = Probe(options.Port);
            if (latency >= 0) {
                latencies.push_back(latency);
            }
            nextProbe += std::chrono::milliseconds(options.ProbeMs);
        } else {
            ::usleep(10000);
        }
    }
    const auto stillOpen =
        std::count_if(load.begin(), load.end(), [](const TConnection& c) { return !c.Closed; });
    for (auto& c : load) {
        ::close(c.Fd);
    }
    std::sort(latencies.begin(), latencies.end());
    auto at = [&](double q) {
        return latencies.empty()
                   ? -1.0
                   : latencies[std::min(
                         latencies.size() - 1,
                         static_cast<std::size_t>(q * static_cast<double>(latencies.size())))];
    };
    if (options.Fill > 0) {
        std::printf("filled=%d/%d ", filled, options.Fill);
    }
    std::printf("probes=%d answered=%zu p50_ms=%.1f p99_ms=%.1f max_ms=%.1f load_open=%ld/%zu "
                "peak_threads=%ld peak_rss_kib=%ld\n",
                sent, latencies.size(), at(0.5), at(0.99),
                latencies.empty() ? -1 : latencies.back(), static_cast<long>(stillOpen),
                load.size(), peakThreads, peakRss);
    return 0;
}
