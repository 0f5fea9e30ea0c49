#include "i18n/ui/FormTemplate.h"

#include "i18n/ui/ControlTexts.h"

#include <QAction>
#include <QWidget>

namespace vx::i18n::ui {

namespace {

constexpr const char* LineBreakEscape = "%0D%0A";

std::string EncodeLines(const QString& text, const QString& percent) {
    QString encoded = text;
    encoded.replace(u'%', percent);
    encoded.replace(QStringLiteral("\r\n"), QString::fromLatin1(LineBreakEscape));
    encoded.replace(u'\r', QString::fromLatin1(LineBreakEscape));
    encoded.replace(u'\n', QString::fromLatin1(LineBreakEscape));
    return encoded.toStdString();
}

void WriteMenuItems(const std::string& section, QWidget& menu, TLanguageFile& ini) {
    WalkMenuItems(section, menu, [&ini](const std::string& itemSection, QAction& item) {
        if (!item.isSeparator()) {
            ini.WriteString(itemSection, ComponentName(item), item.text().toStdString());
        }
    });
}

void WriteActions(const std::string& section, QObject& actionList, TLanguageFile& ini) {
    for (QAction* action : ListActions(actionList)) {
        const std::string name = ComponentName(*action);
        ini.WriteString(section, name, action->text().toStdString());
        ini.WriteString(section, name + HintSuffix, ActionHint(*action).toStdString());
    }
}

void WriteControl(const std::string& section, QWidget& control, int index, TLanguageFile& ini) {
    const std::string key = ControlKey(control, index);
    if (const std::optional<QString> text = ControlText(control)) {
        ini.WriteString(section, key,
                        EncodeControlText(*text, IsLabelWithoutAccelerators(control)));
    }
    if (const QString hint = ControlHint(control); !hint.isEmpty()) {
        ini.WriteString(section, key + HintSuffix, hint.toStdString());
    }
    if (ControlTag(control) == 0) {
        if (const std::optional<QStringList> items = ControlItems(control)) {
            ini.WriteString(section, key + ItemsSuffix, EncodeItems(*items));
        }
    }
    WalkContainer(
        section, control,
        [&ini](const std::string& inner, QWidget& child, int childIndex) {
            WriteControl(inner, child, childIndex, ini);
        },
        [&ini](const std::string& listSection, QObject& list) {
            WriteActions(listSection, list, ini);
        });
}

} // namespace

std::string EncodeControlText(const QString& text, bool doubledAmpersands) {
    QString written = text;
    if (doubledAmpersands) {
        written.replace(u'&', QStringLiteral("&&"));
    }
    return EncodeLines(written, QStringLiteral("%%%%"));
}

std::string EncodeItems(const QStringList& items) {
    return EncodeLines(JoinLines(items), QStringLiteral("%%"));
}

void WriteFormTexts(QWidget& form, TLanguageFile& ini, const TOwnerSaveHandler& onOwnerSave) {
    const std::string formName = ComponentName(form);
    ini.WriteString(FormsSection, formName, form.windowTitle().toStdString());
    WalkForm(form, {
                       .Menu = [&ini](const std::string& section,
                                      QWidget& menu) { WriteMenuItems(section, menu, ini); },
                       .Control =
                           [&formName, &ini](QWidget& control, int index) {
                               WriteControl(formName, control, index, ini);
                           },
                       .ActionList = [&ini](const std::string& section,
                                            QObject& list) { WriteActions(section, list, ini); },
                       .Each =
                           [&onOwnerSave, &ini](const std::string& section, QObject& component) {
                               if (onOwnerSave) {
                                   onOwnerSave(section, &component, ini);
                               }
                           },
                   });
}

} // namespace vx::i18n::ui
