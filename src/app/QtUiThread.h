#pragma once

namespace vx::app {

// Makes the calling thread (the one running Qt's event loop) the UI thread for workers'
// Synchronize calls: each queued call posts one event that pumps the queue, so the calls also
// run inside modal dialogs' nested loops. Create after the QApplication, free before it.
class TQtUiThread {
public:
    TQtUiThread();
    ~TQtUiThread();
    TQtUiThread(const TQtUiThread&) = delete;
    TQtUiThread& operator=(const TQtUiThread&) = delete;
};

} // namespace vx::app
