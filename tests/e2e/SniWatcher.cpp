// vx_sni_watcher: a StatusNotifier watcher with its host, as a desktop's notification area
// offers it on the session bus (KDE Plasma, GNOME with the AppIndicator extension), for the
// tests of the tray icon on such a desktop. It owns org.kde.StatusNotifierWatcher, says that a
// host is registered, and prints "item <service>" for each item that registers, "watching"
// once it is ready.
#include "SniWatcher.h"

#include <iostream>

#include <QCoreApplication>
#include <QDBusConnection>

namespace {

constexpr const char* WatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* WatcherPath = "/StatusNotifierWatcher";

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    TStatusNotifierWatcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(WatcherPath, &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(WatcherService)) {
        std::cerr << "vx_sni_watcher: cannot serve " << WatcherService
                  << " on the session bus: " << bus.lastError().message().toStdString()
                  << std::endl;
        return 1;
    }
    std::cout << "watching" << std::endl;
    return QCoreApplication::exec();
}
