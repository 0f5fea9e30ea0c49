// From a monitor's "/add" on the tray's port to the decision dialog on the screen, with the
// real window, daemon and dialog (Qt offscreen); and what one notification costs the
// user-interface thread while the dialog is shown, by the number of pending decisions.
#include "app/FormPlimmTrayStatus.h"
#include "app/QtUiThread.h"
#include "decisions/DialogTexts.h"
#include "decisions/dialogs/KorvexDialogs.h"
#include "product/ProductIcon.h"
#include "support/LoopbackPort.h"
#include "taskdialog/JSTaskDialogForm.h"

#include <arpa/inet.h>
#include <chrono>
#include <ctime>
#include <netinet/in.h>
#include <stdlib.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

using Clock = std::chrono::steady_clock;

// Sends one GET /add and reads the reply to its end, as the monitor does.
void SendAdd(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request =
            "GET /add?module=Registry&item=HKLM%5CSoftware%5CRun&information=bench "
            "HTTP/1.0\r\n\r\n";
        [[maybe_unused]] auto sent = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        char buffer[4096];
        while (::recv(fd, buffer, sizeof buffer, 0) > 0) {
        }
    }
    ::close(fd);
}

// The window on free ports, its verdicts going nowhere, without a status loader.
vx::app::TTrayOptions BenchOptions() {
    vx::app::TTrayOptions options;
    options.DecisionPort = vx::test::FreeLoopbackPort();
    options.VerdictPort = vx::test::FreeLoopbackPort();
    options.MakeLoader = [] { return std::unique_ptr<vx::app::TWelcomeInfoLoaderThread>(); };
    return options;
}

void BM_AddToVisibleDialog(benchmark::State& state) {
    const vx::app::TTrayOptions options = BenchOptions();
    vx::app::TFormPlimmTrayStatus window(options);
    QCoreApplication::processEvents();
    auto& list = window.DecisionDaemon().Decisions();
    for (auto _ : state) {
        const auto start = Clock::now();
        std::thread monitor(SendAdd, options.DecisionPort);
        while (!(vx::dialogs::DecisionDialog() && vx::dialogs::DecisionDialog()->Form() &&
                 vx::dialogs::DecisionDialog()->Form()->isVisible())) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        }
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        monitor.join();
        // Back to nothing pending and no dialog, for the next round.
        vx::dialogs::DecisionDialog()->Form()->close();
        while (list.Count() > 0) {
            list.Delete(0);
        }
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_AddToVisibleDialog)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);

double ThreadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// One decision more while the dialog shows the first of state.range(0) pending ones (and one
// more each round, so that the position text and the icon's badge change every time, as in a
// flood of adds): the CPU time of the user-interface thread for the window's notification, as
// the daemon makes it. The add itself happens on a request thread and is not counted.
void BM_NotificationWhileShown(benchmark::State& state) {
    const vx::app::TTrayOptions options = BenchOptions();
    vx::app::TFormPlimmTrayStatus window(options);
    auto& list = window.DecisionDaemon().Decisions();
    const auto pending = static_cast<int>(state.range(0));
    const vx::decisions::TStrings fields{"module=Registry", "information=bench",
                                         "item=HKLM\\Software\\Run\\Updater",
                                         "decisiontype=decision", "logclass=changed"};
    for (int i = 0; i < pending; ++i) {
        list.Add(fields);
    }
    window.AskDecisions(list);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        list.Add(fields);
        const double start = ThreadSeconds();
        window.AskDecisions(list);
        state.SetIterationTime(ThreadSeconds() - start);
        state.PauseTiming();
        QCoreApplication::processEvents(); // paints, outside the measured work
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NotificationWhileShown)
    ->Arg(1)
    ->Arg(100)
    ->Arg(10000)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(200);

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    vx::product::ApplyProductIdentity();
    vx::decisions::RegisterDialogTexts();
    vx::app::TQtUiThread uiThread;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    vx::decisions::FreeDialogTexts();
    return 0;
}
