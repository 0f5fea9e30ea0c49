#pragma once

#include <QObject>

class QSocketNotifier;

namespace vx::app {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop's thread (through a socket
// pair), so that they end the program by the same orderly way as the Exit command.
class TStopSignals : public QObject {
    Q_OBJECT
public:
    // Holds SIGINT and SIGTERM back on the calling thread (and the threads it starts) until a
    // TStopSignals takes them: one that arrives during start-up then ends the program in
    // order instead of killing it half-way.
    static void HoldUntilHandled();

    // Installs the handlers and lets signals held back so far through.
    explicit TStopSignals(QObject* parent = nullptr);
    ~TStopSignals() override;

signals:
    void StopRequested(int signalNumber);

private:
    void ReadSignal();
    QSocketNotifier* FNotifier = nullptr;
};

} // namespace vx::app
