#include "i18n/ui/FormTemplate.h"

#include "i18n/ui/ControlTexts.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace vx::i18n::ui {

namespace {

constexpr const char* FormsSection = "Forms";
constexpr const char* HintSuffix = ".Hint";
constexpr const char* ItemsSuffix = ".Items";
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
    for (QAction* item : menu.actions()) {
        const std::string name = ComponentName(*item);
        if (name.empty()) {
            continue;
        }
        if (!item->isSeparator()) {
            ini.WriteString(section, name, item->text().toStdString());
        }
        if (QMenu* submenu = item->menu(); submenu != nullptr) {
            WriteMenuItems(InnerSection(section, *item), *submenu, ini);
        }
    }
}

void WriteActions(const std::string& section, QObject& actionList, TLanguageFile& ini) {
    for (QAction* action : actionList.findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
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
    const std::string name = ComponentName(control);
    if (name.empty() || !HoldsControls(control)) {
        return;
    }
    const std::string inner = InnerSection(section, control);
    const QList<QWidget*> children = ChildControls(control);
    for (int j = 0; j < children.size(); ++j) {
        WriteControl(inner, *children[j], j, ini);
    }
    for (QObject* component : control.children()) {
        if (IsActionList(*component)) {
            WriteActions(InnerSection(inner, *component), *component, ini);
        }
    }
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
    const QList<QPointer<QObject>> components = FormComponents(form);
    for (int i = 0; i < components.size(); ++i) {
        QObject* component = components[i];
        if (component == nullptr) {
            continue; // deleted by a handler of an earlier component
        }
        auto* control = qobject_cast<QWidget*>(component);
        if (IsMenu(*component)) {
            WriteMenuItems(InnerSection(formName, *component), *static_cast<QWidget*>(component),
                           ini);
        } else if (control != nullptr && !control->isWindow()) {
            WriteControl(formName, *control, i, ini);
        } else if (IsActionList(*component)) {
            WriteActions(InnerSection(formName, *component), *component, ini);
        }
        if (onOwnerSave) {
            onOwnerSave(InnerSection(formName, *component), component, ini);
        }
    }
}

} // namespace vx::i18n::ui
