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
bool IsInvisibleControl(char16_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C || c == 0x200B || c == 0x2060 || c == 0xFEFF;
}

} // namespace

QString DialogText(std::string_view bytes) {
    return QString::fromUtf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QString DialogValueText(std::string_view bytes) {
    const QString text = DialogText(bytes);
    QString shown;
    shown.reserve(text.size());
    for (const QChar character : text) {
        const char16_t c = character.unicode();
        if (c < 0x20) {
            shown += QChar(static_cast<char16_t>(ControlPictures + c));
        } else if (c == Delete) {
            shown += QChar(DeletePicture);
        } else if (IsInvisibleControl(c)) {
            shown += QStringLiteral("[U+%1]")
                         .arg(static_cast<unsigned>(c), 4, 16, QChar(u'0'))
                         .toUpper();
        } else {
            shown += character;
        }
    }
    return shown;
}

QString DialogValue(std::string_view bytes) {
    return EscapeMarkup(DialogValueText(bytes));
}

} // namespace vx::dialogs
