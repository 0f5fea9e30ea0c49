#include "decisions/dialogs/DialogText.h"

#include "taskdialog/JSMarkup.h"

#include <QByteArrayView>

namespace vx::dialogs {

using namespace taskdialog;
namespace {

constexpr char16_t ControlPictures = 0x2400; // U+2400 + C0 control
constexpr char16_t DeletePicture = 0x2421;
constexpr char16_t Delete = 0x7F;

// Invisible characters that change the direction of the text around them or hide where
// words begin and end.
bool IsInvisibleControl(char16_t C) {
    return (C >= 0x202A && C <= 0x202E) || (C >= 0x2066 && C <= 0x2069) || C == 0x200E ||
           C == 0x200F || C == 0x061C || C == 0x200B || C == 0x2060 || C == 0xFEFF;
}

} // namespace

QString DialogText(std::string_view Bytes) {
    return QString::fromUtf8(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
}

QString DialogValue(std::string_view Bytes) {
    const QString Text = DialogText(Bytes);
    QString Shown;
    Shown.reserve(Text.size());
    for (const QChar Character : Text) {
        const char16_t C = Character.unicode();
        if (C < 0x20) {
            Shown += QChar(static_cast<char16_t>(ControlPictures + C));
        } else if (C == Delete) {
            Shown += QChar(DeletePicture);
        } else if (IsInvisibleControl(C)) {
            Shown += QStringLiteral("[U+%1]")
                         .arg(static_cast<unsigned>(C), 4, 16, QChar(u'0'))
                         .toUpper();
        } else {
            Shown += Character;
        }
    }
    return EscapeMarkup(Shown);
}

} // namespace vx::dialogs
