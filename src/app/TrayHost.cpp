#include "app/TrayHost.h"

#include "app/QtPlatformChoice.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QFileInfo>
#include <QGuiApplication>
#include <QVariant>

namespace vx::app {
namespace {

constexpr const char* WatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* WatcherPath = "/StatusNotifierWatcher";
constexpr const char* WatcherInterface = "org.kde.StatusNotifierWatcher";
constexpr const char* HostRegisteredProperty = "IsStatusNotifierHostRegistered";
constexpr const char* BusAddressVariable = "DBUS_SESSION_BUS_ADDRESS";
constexpr const char* RuntimeDirVariable = "XDG_RUNTIME_DIR";
constexpr const char* RuntimeBusName = "/bus";

// Where the D-Bus library finds the session bus: its address in the environment, else the
// socket of the user's session in the runtime folder.
bool SessionBusNamed() {
    if (!qEnvironmentVariableIsEmpty(BusAddressVariable)) {
        return true;
    }
    const QString runtimeDir = qEnvironmentVariable(RuntimeDirVariable);
    return !runtimeDir.isEmpty() && QFileInfo::exists(runtimeDir + RuntimeBusName);
}

} // namespace

bool StatusNotifierHostRegistered() {
    // Qt shows no icon offscreen, and without a session bus there is no host to ask: neither
    // is worth starting the bus connection's thread for.
    if (RunsOffscreen() || !SessionBusNamed()) {
        return false;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    // Asking the bus first spares the introspection of a watcher that is not there.
    if (!bus.isConnected() || bus.interface() == nullptr ||
        !bus.interface()->isServiceRegistered(WatcherService)) {
        return false;
    }
    QDBusInterface watcher(WatcherService, WatcherPath, WatcherInterface, bus);
    return watcher.isValid() && watcher.property(HostRegisteredProperty).toBool();
}

bool RunsOffscreen() {
    return QGuiApplication::platformName() == QLatin1String(OffscreenPlatform);
}

} // namespace vx::app
