// vx_sni_watcher: a StatusNotifier watcher with its host, as a desktop's notification area
// offers it on the session bus (KDE Plasma, GNOME with the AppIndicator extension), for the
// tests of the tray icon on such a desktop. It owns org.kde.StatusNotifierWatcher, says that a
// host is registered, prints "watching" once it is ready and "item <service>" for each item
// that registers.
//   --screenshot FILE  then reads the first item's menu as a host does, prints it ("menu
//                      <entries>", see SniMenuLine), draws the item in a panel at the top of
//                      the screen, opens its menu there, saves that corner of the screen to
//                      FILE and ends
#include "SniWatcher.h"

#include "SniItem.h"

#include <iostream>
#include <string>

#include <QApplication>
#include <QDBusConnection>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

namespace {

using vx::test::TSniMenuEntry;

constexpr const char* WatcherService = "org.kde.StatusNotifierWatcher";
constexpr const char* WatcherPath = "/StatusNotifierWatcher";
constexpr int PanelHeight = 32;
constexpr int PanelWidth = 360;
constexpr int IconSize = 24;
constexpr int ReadTries = 50;
constexpr int RetryMilliseconds = 200;
constexpr int SettleMilliseconds = 800;
constexpr int RegistrationMilliseconds = 1000;
constexpr int Margin = 12;

// The item's menu once it is exported: an item registers before its menu is there.
QList<TSniMenuEntry> WaitForMenu(const QString& item) {
    for (int attempt = 0; attempt < ReadTries; ++attempt) {
        auto entries = vx::test::ReadSniMenu(item);
        if (!entries.isEmpty()) {
            return entries;
        }
        QEventLoop wait;
        QTimer::singleShot(RetryMilliseconds, &wait, &QEventLoop::quit);
        wait.exec();
    }
    return {};
}

void AddEntries(QMenu& menu, const QList<TSniMenuEntry>& entries) {
    for (const TSniMenuEntry& entry : entries) {
        if (!entry.Visible) {
            continue;
        }
        if (entry.Separator) {
            menu.addSeparator();
            continue;
        }
        QAction* action = menu.addAction(entry.Label);
        action->setEnabled(entry.Enabled);
        action->setCheckable(entry.Checkable);
        action->setChecked(entry.Checked);
    }
}

// A panel along the top of the screen with the item's icon at its right end, and the item's
// menu open below it, saved to `file`.
int SaveScreenshot(const QString& item, const QString& file) {
    const QList<TSniMenuEntry> entries = WaitForMenu(item);
    std::cout << "menu " << vx::test::SniMenuLine(entries).toStdString() << std::endl;
    const QImage icon = vx::test::ReadSniIcon(item);
    if (entries.isEmpty() || icon.isNull()) {
        std::cerr << "vx_sni_watcher: the item shows no " << (icon.isNull() ? "icon" : "menu")
                  << std::endl;
        return 1;
    }
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QWidget panel(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    panel.setAttribute(Qt::WA_X11NetWmWindowTypeDock);
    panel.setGeometry(screen.right() - PanelWidth + 1, screen.top(), PanelWidth, PanelHeight);
    panel.setStyleSheet(QStringLiteral("background: #2b3038;"));
    auto* layout = new QHBoxLayout(&panel);
    layout->setContentsMargins(Margin, 0, Margin, 0);
    layout->addStretch();
    auto* iconLabel = new QLabel(&panel);
    iconLabel->setPixmap(QPixmap::fromImage(
        icon.scaled(IconSize, IconSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    layout->addWidget(iconLabel);
    panel.show();

    QMenu menu;
    AddEntries(menu, entries);
    int exitCode = 1;
    QEventLoop shown;
    QTimer::singleShot(SettleMilliseconds, [&] {
        const QPoint below = iconLabel->mapToGlobal(QPoint(0, PanelHeight));
        menu.popup(QPoint(below.x() - menu.sizeHint().width() + IconSize, below.y()));
        QTimer::singleShot(SettleMilliseconds, [&] {
            const QRect corner = panel.geometry()
                                     .united(menu.geometry())
                                     .adjusted(-Margin, 0, 0, Margin)
                                     .intersected(screen);
            const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(
                0, corner.x(), corner.y(), corner.width(), corner.height());
            exitCode = shot.save(file) ? 0 : 1;
            std::cout << (exitCode == 0 ? "saved " : "cannot save ") << file.toStdString()
                      << std::endl;
            shown.quit();
        });
    });
    shown.exec();
    return exitCode;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    const QString screenshot =
        args.value(0) == QStringLiteral("--screenshot") ? args.value(1) : QString();
    if (!args.isEmpty() && screenshot.isEmpty()) {
        std::cerr << "usage: vx_sni_watcher [--screenshot FILE]" << std::endl;
        return 2;
    }

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
    if (!screenshot.isEmpty()) {
        QObject::connect(&watcher, &TStatusNotifierWatcher::StatusNotifierItemRegistered, &watcher,
                         [&](const QString& item) {
                             // Later: the item finishes its registration with calls to the
                             // watcher, which a call of ours to the item would block.
                             QTimer::singleShot(RegistrationMilliseconds, [&, item] {
                                 QCoreApplication::exit(SaveScreenshot(item, screenshot));
                             });
                         });
    }
    std::cout << "watching" << std::endl;
    return QCoreApplication::exec();
}
