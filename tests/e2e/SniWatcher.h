#pragma once

#include <iostream>

#include <QDBusMessage>
#include <QObject>
#include <QStringList>

// A StatusNotifier watcher with its host, as a desktop's notification area offers it on the
// session bus: it says a host is registered and prints "item <service>" for each item that
// registers.
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
