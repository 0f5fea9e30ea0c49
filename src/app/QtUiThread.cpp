#include "app/QtUiThread.h"

#include "platform/UiThread.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace vx::app {

TQtUiThread::TQtUiThread() {
    UiThread::Attach();
    QCoreApplication* application = QCoreApplication::instance();
    UiThread::SetWaker([application] {
        QMetaObject::invokeMethod(
            application, [] { UiThread::Pump(); }, Qt::QueuedConnection);
    });
}

TQtUiThread::~TQtUiThread() {
    UiThread::SetWaker({});
    UiThread::Detach();
}

} // namespace vx::app
