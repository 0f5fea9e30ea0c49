#include "app/TrayHost.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QVariant>

namespace vx::app {
namespace {

constexpr const char* WatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* WatcherPath = "/StatusNotifierWatcher";
constexpr const char* WatcherInterface = "org.kde.StatusNotifierWatcher";
constexpr const char* HostRegisteredProperty = "IsStatusNotifierHostRegistered";

} // namespace

bool StatusNotifierHostRegistered() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Asking the bus first spares the introspection of a watcher that is not there.
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(WatcherService)) {
        return false;
    }
    QDBusInterface watcher(WatcherService, WatcherPath, WatcherInterface, bus);
    return watcher.isValid() && watcher.property(HostRegisteredProperty).toBool();
}

} // namespace vx::app
