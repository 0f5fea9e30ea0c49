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

QFont ToQFont(const TJSFontSettings& Settings) {
    const QFont Message = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    QFont Font = Message;
    if (!Settings.Name.empty()) {
        Font.setFamilies({QString::fromStdString(Settings.Name)});
    } else if (Message.family().isEmpty()) {
        Font.setFamilies({QString::fromLatin1(FallbackFontName)});
    }
    if (Settings.Size > 0) {
        Font.setPointSize(Settings.Size);
    } else if (Message.pointSize() <= 0) {
        Font.setPointSize(FallbackFontPoints);
    }
    return Font;
}

QColor ToQColor(std::uint32_t Rgb) {
    return QColor::fromRgb((Rgb >> 16) & 0xFF, (Rgb >> 8) & 0xFF, Rgb & 0xFF);
}

QIcon StandardIcon(TTaskDialogIcon Icon) {
    QStyle* Style = QApplication::style();
    switch (Icon) {
    case tdiWarning:
        return Style->standardIcon(QStyle::SP_MessageBoxWarning);
    case tdiError:
        return Style->standardIcon(QStyle::SP_MessageBoxCritical);
    case tdiInformation:
        return Style->standardIcon(QStyle::SP_MessageBoxInformation);
    case tdiConfirmation:
        return Style->standardIcon(QStyle::SP_MessageBoxQuestion);
    case tdiShield:
        return Style->standardIcon(QStyle::SP_VistaShield);
    case tdiCustom:
        return QApplication::windowIcon();
    case tdiNone:
        break;
    }
    return {};
}

QString CaptionWithoutAccelerator(const QString& Caption) {
    QString Shown;
    for (qsizetype I = 0; I < Caption.size(); ++I) {
        if (Caption[I] == u'&' && I + 1 < Caption.size()) {
            ++I;
        }
        Shown += Caption[I];
    }
    return Shown;
}

int IconPixels(TJSIconSize Size) {
    switch (Size) {
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
