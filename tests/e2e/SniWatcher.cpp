// vx_sni_watcher: a StatusNotifier watcher with its host, as a desktop's notification area
// offers it on the session bus (KDE Plasma, GNOME with the AppIndicator extension), for the
// tests of the tray icon on such a desktop. It owns org.kde.StatusNotifierWatcher, says that a
// host is registered, and prints "item <service>" for each item that registers, "watching"
// once it is ready.
#include <iostream>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>

namespace {

constexpr const char* WatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* WatcherPath = "/StatusNotifierWatcher";

} // namespace

class TStatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
public:
    bool IsStatusNotifierHostRegistered() const { return true; }
    QStringList RegisteredStatusNotifierItems() const { return FItems; }
    int ProtocolVersion() const { return 0; }

public slots:
    // An item names its service, or only its object path on the caller's connection.
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
        const QString item = service.startsWith('/') ? message.service() : service;
        FItems << item;
        std::cout << "item " << item.toStdString() << std::endl;
        emit StatusNotifierItemRegistered(item);
    }
    void RegisterStatusNotifierHost(const QString& /*service*/) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QStringList FItems;
};

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

#include "SniWatcher.moc"
