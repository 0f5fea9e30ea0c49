#include "app/StopSignals.h"

#include "platform/Exception.h"

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace vx::app {

namespace {

int SignalPipe[2] = {-1, -1};

const sigset_t& StopSet() {
    static const sigset_t stopSet = [] {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGINT);
        sigaddset(&set, SIGTERM);
        return set;
    }();
    return stopSet;
}

extern "C" void OnStopSignal(int signalNumber) {
    const char number = static_cast<char>(signalNumber);
    [[maybe_unused]] const auto written = ::write(SignalPipe[0], &number, 1);
}

} // namespace

TStopSignals::TStopSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, SignalPipe) != 0) {
        throw Exception("cannot create the signal socket pair");
    }
    ::fcntl(SignalPipe[0], F_SETFL, O_NONBLOCK);
    FNotifier = new QSocketNotifier(SignalPipe[1], QSocketNotifier::Read, this);
    connect(FNotifier, &QSocketNotifier::activated, this, &TStopSignals::ReadSignal);
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    ::pthread_sigmask(SIG_UNBLOCK, &StopSet(), nullptr);
}

void TStopSignals::HoldUntilHandled() {
    ::pthread_sigmask(SIG_BLOCK, &StopSet(), nullptr);
}

TStopSignals::~TStopSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    delete FNotifier;
    ::close(SignalPipe[0]);
    ::close(SignalPipe[1]);
    SignalPipe[0] = SignalPipe[1] = -1;
}

void TStopSignals::ReadSignal() {
    char number = 0;
    if (::read(SignalPipe[1], &number, 1) == 1) {
        emit StopRequested(number);
    }
}

} // namespace vx::app
