#include "SniItem.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QStringList>
#include <QVariantMap>
#include <QtEndian>

namespace vx::test {
namespace {

constexpr const char* ItemPath = "/StatusNotifierItem";
constexpr const char* ItemInterface = "org.kde.StatusNotifierItem";
constexpr const char* PropertiesInterface = "org.freedesktop.DBus.Properties";
constexpr const char* MenuInterface = "com.canonical.dbusmenu";

// A property of the item, unwrapped from the variant D-Bus returns it in.
QVariant ItemProperty(const QString& service, const char* name) {
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, ItemPath, PropertiesInterface, "Get");
    get << QString::fromLatin1(ItemInterface) << QString::fromLatin1(name);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) {
        return {};
    }
    return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant();
}

// dbusmenu writes the mnemonic with "_" and a literal underscore as "__".
QString MenuLabel(const QString& label) {
    QString text;
    for (qsizetype i = 0; i < label.size(); ++i) {
        if (label[i] == u'&') {
            text += QStringLiteral("&&");
        } else if (label[i] == u'_' && i + 1 < label.size() && label[i + 1] == u'_') {
            text += u'_';
            ++i;
        } else if (label[i] == u'_' && i + 1 < label.size() && label[i + 1] == u'&') {
            text += QStringLiteral("&&"); // an "&" marked as the mnemonic stays a character
            ++i;
        } else {
            text += label[i] == u'_' ? u'&' : label[i];
        }
    }
    return text;
}

// One node of the layout: (ia{sv}av), the children each a variant holding a node.
void ReadNode(const QDBusArgument& argument, TSniMenuEntry& entry) {
    QVariantMap properties;
    argument.beginStructure();
    argument >> entry.Id >> properties;
    argument.beginArray();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        TSniMenuEntry childEntry;
        ReadNode(qvariant_cast<QDBusArgument>(child.variant()), childEntry);
        entry.Children << childEntry;
    }
    argument.endArray();
    argument.endStructure();
    entry.Label = MenuLabel(properties.value("label").toString());
    entry.Separator = properties.value("type").toString() == QStringLiteral("separator");
    entry.Checkable = !properties.value("toggle-type").toString().isEmpty();
    entry.Checked = properties.value("toggle-state").toInt() == 1;
    entry.Enabled = properties.value("enabled", true).toBool();
    entry.Visible = properties.value("visible", true).toBool();
}

} // namespace

QImage ReadSniIcon(const QString& service) {
    const QVariant pixmaps = ItemProperty(service, "IconPixmap");
    if (!pixmaps.canConvert<QDBusArgument>()) {
        return {};
    }
    // a(iiay): each pixmap's width, height and ARGB32 pixels in network byte order.
    const auto argument = qvariant_cast<QDBusArgument>(pixmaps);
    QImage largest;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray bytes;
        argument.beginStructure();
        argument >> width >> height >> bytes;
        argument.endStructure();
        if (width <= 0 || height <= 0 || bytes.size() != qsizetype(width) * height * 4 ||
            width <= largest.width()) {
            continue;
        }
        QImage image(width, height, QImage::Format_ARGB32);
        const auto* pixels = reinterpret_cast<const quint32*>(bytes.constData());
        for (int y = 0; y < height; ++y) {
            auto* line = reinterpret_cast<quint32*>(image.scanLine(y));
            for (int x = 0; x < width; ++x) {
                line[x] = qFromBigEndian(pixels[y * width + x]);
            }
        }
        largest = image;
    }
    argument.endArray();
    return largest;
}

QList<TSniMenuEntry> ReadSniMenu(const QString& service) {
    const auto path = qvariant_cast<QDBusObjectPath>(ItemProperty(service, "Menu")).path();
    if (path.isEmpty()) {
        return {};
    }
    QDBusMessage layout = QDBusMessage::createMethodCall(service, path, MenuInterface, "GetLayout");
    layout << 0 << -1 << QStringList();
    const QDBusMessage reply = QDBusConnection::sessionBus().call(layout);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2) {
        return {};
    }
    TSniMenuEntry root;
    ReadNode(qvariant_cast<QDBusArgument>(reply.arguments().at(1)), root);
    return root.Children;
}

bool ClickSniMenuEntry(const QString& service, int id) {
    const auto path = qvariant_cast<QDBusObjectPath>(ItemProperty(service, "Menu")).path();
    QDBusMessage event = QDBusMessage::createMethodCall(service, path, MenuInterface, "Event");
    event << id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0U;
    return QDBusConnection::sessionBus().call(event).type() == QDBusMessage::ReplyMessage;
}

QString SniMenuLine(const QList<TSniMenuEntry>& entries) {
    QStringList labels;
    for (const TSniMenuEntry& entry : entries) {
        if (entry.Visible) {
            labels << (entry.Separator ? QStringLiteral("-")
                                       : QString(entry.Label)
                                                 .replace(QStringLiteral("&&"), "\x01")
                                                 .remove(u'&')
                                                 .replace(u'\x01', u'&') +
                                             (entry.Checked ? "*" : ""));
        }
    }
    return labels.join(u'|');
}

} // namespace vx::test
