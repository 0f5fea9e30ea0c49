#include "taskdialog/JSLook.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>

namespace vx::taskdialog {
namespace {

constexpr const char* FallbackFontName = "Segoe UI";
constexpr int FallbackFontPoints = 9;
constexpr int SmallIconPixels = 16;
constexpr int MediumIconPixels = 24;
constexpr int LargeIconPixels = 32;

} // namespace

QFont ToQFont(const TJSFontSettings& settings) {
    const QFont message = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont font = message;
    if (!settings.Name.empty()) {
        font.setFamilies({QString::fromStdString(settings.Name)});
    } else if (message.family().isEmpty()) {
        font.setFamilies({QString::fromLatin1(FallbackFontName)});
    }
    if (settings.Size > 0) {
        font.setPointSize(settings.Size);
    } else if (message.pointSize() <= 0) {
        font.setPointSize(FallbackFontPoints);
    }
    return font;
}

QColor ToQColor(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<int>((rgb >> 16) & 0xFF),
                           static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF));
}

QIcon StandardIcon(TTaskDialogIcon icon) {
    QStyle* style = QApplication::style();
    switch (icon) {
    case tdiWarning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case tdiError:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case tdiInformation:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    case tdiConfirmation:
        return style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case tdiShield:
        return style->standardIcon(QStyle::SP_VistaShield);
    case tdiCustom:
        return QApplication::windowIcon();
    case tdiNone:
        break;
    }
    return {};
}

QString CaptionWithoutAccelerator(const QString& caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) {
            ++i;
        }
        shown += caption[i];
    }
    return shown;
}

int IconPixels(TJSIconSize size) {
    switch (size) {
    case isSmall:
        return SmallIconPixels;
    case isMedium:
        return MediumIconPixels;
    case isLarge:
        break;
    }
    return LargeIconPixels;
}

} // namespace vx::taskdialog
