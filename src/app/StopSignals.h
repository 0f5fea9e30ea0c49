#pragma once

#include <QObject>

class QSocketNotifier;

namespace vx::app {

// Turns SIGINT and SIGTERM into a Qt signal on the event loop's thread (through a socket
// pair), so that they end the program by the same orderly way as the Exit command.
class TStopSignals : public QObject {
    Q_OBJECT
public:
    explicit TStopSignals(QObject* parent = nullptr);
    ~TStopSignals() override;

signals:
    void StopRequested(int signalNumber);

private:
    void ReadSignal();
    QSocketNotifier* FNotifier = nullptr;
};

} // namespace vx::app
