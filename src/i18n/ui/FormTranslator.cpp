#include "i18n/ui/FormTranslator.h"

#include "i18n/ui/BiDiLayout.h"
#include "i18n/ui/ControlTexts.h"

#include <QAction>
#include <QFont>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace vx::i18n::ui {

namespace {

constexpr const char* FormsSection = "Forms";
constexpr const char* HintSuffix = ".Hint";
constexpr const char* ItemsSuffix = ".Items";

QString ReadText(const TLanguageFile& ini, const std::string& section, const std::string& key,
                 const QString& current) {
    return QString::fromStdString(ini.ReadString(section, key, current.toStdString()));
}

void TranslateText(const std::string& section, const std::string& key, QWidget& control,
                   const TTranslateContext& context) {
    const std::optional<QString> current = ControlText(control);
    if (!current) {
        return;
    }
    SetControlText(control,
                   DecodeControlText(context.Ini.ReadString(section, key, current->toStdString()),
                                     IsLabelWithoutAccelerators(control)));
}

void TranslateItems(const std::string& section, const std::string& key, QWidget& control,
                    const TTranslateContext& context) {
    std::optional<QStringList> items;
    try {
        items = ControlItems(control);
        if (!items) {
            items = QStringList{ControlText(control).value_or(QString())};
        }
    } catch (...) {
        return; // the list could not be collected: the control keeps its items
    }
    try {
        std::string value =
            context.Ini.ReadString(section, key + ItemsSuffix, JoinLines(*items).toStdString());
        UnescapeText(value);
        SetControlItems(control, SplitLines(QString::fromStdString(value)));
    } catch (...) {
        // one faulty item list leaves the rest of the walk going
    }
}

} // namespace

bool IsMenu(const QObject& component) {
    return qobject_cast<const QMenu*>(&component) != nullptr ||
           qobject_cast<const QMenuBar*>(&component) != nullptr;
}

bool IsActionList(const QObject& component) {
    if (component.isWidgetType() || qobject_cast<const QAction*>(&component) != nullptr) {
        return false;
    }
    return !component.findChildren<QAction*>(Qt::FindDirectChildrenOnly).isEmpty();
}

std::string ComponentName(const QObject& component) {
    return component.objectName().toStdString();
}

std::string InnerSection(const std::string& section, const QObject& component) {
    std::string inner = section;
    inner += '.';
    inner += ComponentName(component);
    return inner;
}

QList<QPointer<QObject>> FormComponents(const QWidget& form) {
    QList<QPointer<QObject>> components;
    for (QObject* child : form.children()) {
        components.append(child);
    }
    return components;
}

std::string ControlKey(const QWidget& control, int index) {
    std::string key = ComponentName(control);
    if (key.empty() && control.parent() != nullptr) {
        key = ComponentName(*control.parent()) + "." + std::to_string(index);
    }
    return key;
}

QString DecodeControlText(std::string text, bool doubledAmpersands) {
    UnescapeText(text);
    ReplaceAll(text, "%%", "%");
    if (doubledAmpersands) {
        ReplaceAll(text, "&&", "&");
    }
    return QString::fromStdString(text);
}

void TranslateForm(QWidget& form, const TLanguageFile& ini, const TFontSettings& font,
                   const TOwnerHandler& onOwnerLoad) {
    const TTranslateContext context{ini, font};
    const Qt::LayoutDirection direction = LayoutDirectionOf(font.BiDiMode);
    // A QFont chooses its glyphs by Unicode and has no character set: the file's charset is
    // recorded with the loaded font and in the dialogs' default fonts, not set on a widget.
    QFont formFont = form.font();
    formFont.setFamily(QString::fromStdString(font.Name));
    if (font.Size > 0) {
        formFont.setPointSize(font.Size);
    }
    form.setFont(formFont);
    form.setLayoutDirection(direction);
    const std::string formName = ComponentName(form);
    form.setWindowTitle(ReadText(ini, FormsSection, formName, form.windowTitle()));
    SetRightToLeftStyles(form, font.BiDiMode);

    const QList<QPointer<QObject>> components = FormComponents(form);
    for (int i = 0; i < components.size(); ++i) {
        QObject* component = components[i];
        if (component == nullptr) {
            continue; // deleted by a handler of an earlier component
        }
        auto* control = qobject_cast<QWidget*>(component);
        if (IsMenu(*component)) {
            TranslateMenuItems(InnerSection(formName, *component),
                               *static_cast<QWidget*>(component), context);
        } else if (control != nullptr && !control->isWindow()) {
            control->setLayoutDirection(direction);
            if (control->parentWidget() == &form) {
                TranslateControl(formName, control, i, context);
            }
        } else if (IsActionList(*component)) {
            TranslateActions(InnerSection(formName, *component), *component, context);
        }
        if (onOwnerLoad) {
            onOwnerLoad(InnerSection(formName, *component), component, ini);
        }
    }
}

void TranslateControl(const std::string& section, QWidget* control, int index,
                      const TTranslateContext& context) {
    if (control == nullptr) {
        return;
    }
    // A control that follows its parent's font takes the form's name and size through Qt's
    // font propagation; one with a font of its own keeps it.
    control->setLayoutDirection(LayoutDirectionOf(context.Font.BiDiMode));
    const std::string key = ControlKey(*control, index);
    try {
        TranslateText(section, key, *control, context);
    } catch (...) {
        // the control keeps its text; its hint and items follow
    }
    try {
        SetControlHint(*control,
                       ReadText(context.Ini, section, key + HintSuffix, ControlHint(*control)));
    } catch (...) {
        // the control keeps its hint
    }
    if (ControlTag(*control) == 0) {
        TranslateItems(section, key, *control, context);
    }

    const std::string name = ComponentName(*control);
    if (name.empty() || !HoldsControls(*control)) {
        return;
    }
    const std::string inner = InnerSection(section, *control);
    const QList<QWidget*> children = ChildControls(*control);
    for (int j = 0; j < children.size(); ++j) {
        try {
            TranslateControl(inner, children[j], j, context);
        } catch (...) {
            // one faulty child leaves its siblings to be translated
        }
    }
    for (QObject* component : control->children()) {
        if (IsActionList(*component)) {
            try {
                TranslateActions(InnerSection(inner, *component), *component, context);
            } catch (...) {
                // one faulty list leaves the others to be translated
            }
        }
    }
}

void TranslateMenuItems(const std::string& section, QWidget& menu,
                        const TTranslateContext& context) {
    for (QAction* item : menu.actions()) {
        const std::string name = ComponentName(*item);
        if (name.empty()) {
            continue; // an unnamed entry keeps its caption, and so does its submenu
        }
        item->setText(ReadText(context.Ini, section, name, item->text()));
        if (QMenu* submenu = item->menu(); submenu != nullptr) {
            TranslateMenuItems(InnerSection(section, *item), *submenu, context);
        }
    }
}

void TranslateActions(const std::string& section, QObject& actionList,
                      const TTranslateContext& context) {
    for (QAction* action : actionList.findChildren<QAction*>(Qt::FindDirectChildrenOnly)) {
        const std::string name = ComponentName(*action);
        action->setText(ReadText(context.Ini, section, name, action->text()));
        SetActionHint(*action,
                      ReadText(context.Ini, section, name + HintSuffix, ActionHint(*action)));
    }
}

} // namespace vx::i18n::ui
