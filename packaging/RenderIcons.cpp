// vx_render_icons: the product icon as the PNG files of the hicolor icon theme, drawn by the
// program's own code at build time, so that the installed icon is the one the tray shows.
#include "product/ProductIcon.h"

#include <charconv>
#include <iostream>
#include <string>

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>

namespace {

constexpr const char* Usage = "usage: vx_render_icons FOLDER NAME SIZE...\n"
                              "writes FOLDER/<SIZE>x<SIZE>/apps/NAME.png for each SIZE\n";

bool ParseSize(const std::string& text, int& size) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), size);
    return !text.empty() && error == std::errc() && end == text.data() + text.size() && size > 0 &&
           size <= 1024;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::cerr << Usage;
        return 2;
    }
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int arg = 3; arg < argc; ++arg) {
        int size = 0;
        if (!ParseSize(argv[arg], size)) {
            std::cerr << "vx_render_icons: '" << argv[arg] << "' is not a size\n" << Usage;
            return 2;
        }
        const QString apps = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString file = apps + u'/' + name + QStringLiteral(".png");
        if (!QDir().mkpath(apps) || !vx::product::ProductIconPixmap(size).save(file, "PNG")) {
            std::cerr << "vx_render_icons: cannot write " << file.toStdString() << "\n";
            return 1;
        }
    }
    return 0;
}
