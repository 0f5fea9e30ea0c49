#pragma once

#include <QImage>
#include <QList>
#include <QString>

// What a StatusNotifier host reads of an item over the session bus: its icon and the menu it
// exports (com.canonical.dbusmenu), as a desktop's notification area draws them.
namespace vx::test {

struct TSniMenuEntry {
    int Id = 0;
    QString Label; // "&" marks the mnemonic, as in Qt
    bool Separator = false;
    bool Checkable = false;
    bool Checked = false;
    bool Enabled = true;
    bool Visible = true;
    QList<TSniMenuEntry> Children;
};

// The item's largest icon pixmap; a null image when it has none or cannot be asked.
QImage ReadSniIcon(const QString& service);
// The top level of the item's menu; empty when it exports none or cannot be asked.
QList<TSniMenuEntry> ReadSniMenu(const QString& service);
// Tells the item that its menu entry `id` was clicked, as a host does.
bool ClickSniMenuEntry(const QString& service, int id);
// One line of the entries' labels, '|' between them, "-" for a separator and "*" after a
// checked entry: "System Scan|...|-|Live Protection*|...".
QString SniMenuLine(const QList<TSniMenuEntry>& entries);

} // namespace vx::test
